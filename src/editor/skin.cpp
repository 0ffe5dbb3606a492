#include "editor/skin.h"

#include "base/app_folder.h"
#include "base/resource_library.h"
#include "base/message_format.h"
#include "base/string_ids.h"
#include "model/text_convert.h"
#include "model/text_record_file.h"

namespace trovel {

SkinResult loadSkin(const std::filesystem::path& listFile, const std::filesystem::path& baseDir) {
    SkinResult result;
    TextRecordFile file;
    if (!file.open(listFile, u"r")) return result;
    std::u16string line, name;
    while (static_cast<int>(result.images.size()) < kMaxSkinImages && file.readLine(line, kSkinLineChars) > 0) {
        size_t key = line.find(u"SKIN:");
        if (key == std::u16string::npos) continue;
        if (nextTextField(line, key, name) == std::u16string::npos || name.empty()) continue;
        std::filesystem::path full = resolveDataPath(name, baseDir);
        BitmapInfo info = checkBitmapFile(full);
        if (!info.ok) {
            result.status = SkinStatus::ImageUnreadable;
            result.badImage = full;
            result.images.clear();
            result.message = formatMessage(resString(Str::SkinImageUnreadable), {pathText(full)});
            return result;
        }
        result.images.push_back({full, info});
    }
    result.status = SkinStatus::Loaded;
    result.tooFew = static_cast<int>(result.images.size()) < kRequiredSkinImages;
    if (result.tooFew) result.message = resString(Str::SkinTooFew);
    return result;
}

}  // namespace trovel
