#include "app/gui/studio_setup.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdlib>

#include "base/gui/ui_text.h"
#include "base/gui/user_folders.h"
#include "model/text_convert.h"

namespace trovel {

QFont fontFromSetting(const FontSetting& setting) {
    const int pixels = setting.height == 0 ? 14 : std::abs(setting.height);
    QFont font = chartFont(toQString(setting.face), pixels, setting.weight);
    font.setItalic(setting.italic);
    font.setUnderline(setting.underline);
    font.setStrikeOut(setting.strikeOut);
    return font;
}

ChartStyle chartStyleFromConfig(const AppConfig& config) {
    ChartStyle style;
    const Rgb& text = config.settings.chartTextColor;
    style.colors = defaultChartColors(QColor(text.red, text.green, text.blue));
    style.font = fontFromSetting(config.settings.chartFont);
    style.text = chartTextSources(config.memoryNames.displayName, config.memoryNames.shortName);
    for (size_t i = 0; i < config.skin.size(); ++i) {
        QImage image(QString::fromStdU16String(pathText(config.skin[i].file)));
        const int type = static_cast<int>(i) + 1;
        if (type == static_cast<int>(BlockType::Branch) || type == static_cast<int>(BlockType::RandomBranch)) {
            image = withKeyColorTransparent(image);
        } else if (!image.isNull()) {
            image = image.convertToFormat(QImage::Format_RGB32);
        }
        style.skins.push_back(image);
    }
    return style;
}

MainWindowSetup mainWindowSetup(StudioContext& context, const QString& appDir, const QString& pendingPath) {
    const AppConfig& config = context.config;
    MainWindowSetup setup{context};
    setup.style = chartStyleFromConfig(config);
    setup.statusFont = fontFromSetting(config.settings.statusFont);
    setup.statusLabelWidth = config.settings.statusLabelWidth;
    setup.appDir = appDir;
    setup.pendingPath = pendingPath;
    return setup;
}

AppFolders startAppFolders(const std::filesystem::path& appDirOption, const std::filesystem::path& executable) {
    const auto userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdU16String();
    const AppFolders folders = resolveAppFolders(appDirOption, processEnvironment(), executable, userData);
    seedUserFolder(folders, userFileNames());
    return folders;
}

void placeUserFiles(MainWindowSetup& setup, const AppFolders& folders) {
    if (folders.user == folders.shared) return;
    setup.userDir = QString::fromStdU16String(folders.user.u16string());
    // Pupils' programs go with their documents; the shared folder cannot take them.
    setup.programDir = documentsFolder();
}

}  // namespace trovel
