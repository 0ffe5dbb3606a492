// Charts as a pupil first sees them, in Japanese and in English: the shipped examples, and charts
// laid out afresh (read back from the robot): no connector runs through a block other than its two
// ends, no output label or caption lies on another block, and no label lies on another label.
// The geometry is the editor's own routing; the text widths are those of the chart font.

#include <QDir>
#include <QFontMetrics>
#include <QtTest>

#include <random>

#include "base/memory_names.h"
#include "base/string_table.h"
#include "editor/captions.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/chart_style.h"
#include "editor/routing.h"
#include "model/chart_layout.h"
#include "model/compiler.h"
#include "model/program_file.h"
#include "model/sequence_decoder.h"

using namespace trovel;

namespace {

QString toQ(const std::u16string& s) { return QString::fromStdU16String(s); }

// The chart's texts in one language: its string table over the built-in one, and its memory names.
TextSources textsFor(const QString& language) {
    const bool english = language == QStringLiteral("en");
    auto pack = std::make_shared<StringTable>();
    if (english) pack->strings = loadStringPack(TROVEL_SOURCE_DIR "/data/lang/en.txt").table.strings;
    auto names = std::make_shared<MemoryNames>();
    loadMemoryNames(english ? TROVEL_SOURCE_DIR "/data/lang/en/memname.ini" : TROVEL_SOURCE_DIR "/data/memname.ini",
                    *names);
    TextSources text;
    text.resString = [pack](int id) {
        const std::u16string_view own = lookup(*pack, uint16_t(id));
        return std::u16string(own.empty() ? lookup(builtInStrings(), uint16_t(id)) : own);
    };
    text.displayName = [names](int a) { return a >= 0 && a < 32 ? names->displayName[size_t(a)] : std::u16string(); };
    text.shortName = [names](int a) { return a >= 0 && a < 32 ? names->shortName[size_t(a)] : std::u16string(); };
    return text;
}

QRect toQRect(const Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

QString describe(const ActionBlock& b) { return QStringLiteral("%1 at (%2, %3)").arg(int(b.type)).arg(b.x).arg(b.y); }

// What keeps the chart from reading well, one line each.
QStringList readingFaults(const BlockProgram& program, const QString& language) {
    const TextSources text = textsFor(language);
    const QFontMetrics metrics(defaultChartStyle().font);
    // The calculation options are on whenever a chart holds a calculation block.
    bool useCalc = false;
    for (const auto& b : program.blocks) useCalc |= b->type == BlockType::Calc;

    QStringList faults;
    QList<std::pair<QRect, QString>> labels;
    // What the window scrolls over and the picture shows.
    const Rect extent = chartExtent(program, QSize(), false).content;
    const QRect chart(0, 0, extent.right, extent.bottom);
    const auto onOtherBlock = [&](const QRect& area, const ActionBlock* a, const ActionBlock* b) -> const ActionBlock* {
        for (const auto& other : program.blocks) {
            if (other.get() == a || other.get() == b) continue;
            if (area.intersects(toQRect(blockRect(*other)))) return other.get();
        }
        return nullptr;
    };
    for (const auto& bp : program.blocks) {
        const ActionBlock& b = *bp;
        for (int i = 0; i < outputCount(b.type); ++i) {
            const Route route = routeConnector(b, i);
            if (route.code == RouteCode::Overlap) {
                faults << QStringLiteral("%1 output %2: too close to draw").arg(describe(b)).arg(i);
                continue;
            }
            const ActionBlock* target = b.next[size_t(i)];
            // A run outside the chart's picture cannot be seen or grabbed.
            for (int k = 0; k < route.pathLength; ++k) {
                const Point p = route.path[size_t(k)];
                if (p.x < 1 || p.y < 1 || !chart.contains(p.x + kHandleHalf, p.y + kHandleHalf))
                    faults << QStringLiteral("%1 output %2 leaves the chart at (%3, %4)")
                                  .arg(describe(b))
                                  .arg(i)
                                  .arg(p.x)
                                  .arg(p.y);
            }
            // Each run is drawn two pixels wide: from one pixel before its low end to its high end.
            for (int k = 1; k < route.pathLength; ++k) {
                const Point p = route.path[size_t(k - 1)], q = route.path[size_t(k)];
                const QRect run(QPoint(std::min(p.x, q.x) - 1, std::min(p.y, q.y) - 1),
                                QPoint(std::max(p.x, q.x), std::max(p.y, q.y)));
                if (const ActionBlock* hit = onOtherBlock(run, &b, target))
                    faults
                        << QStringLiteral("%1 output %2 runs through %3").arg(describe(b)).arg(i).arg(describe(*hit));
            }
            const int labelId = outputLabelString(b.type, i);
            if (labelId == 0 || !outputLabelVisible(b.type, i, int(route.code), route.linked)) continue;
            const QString label = toQ(text.resString(labelId));
            const int w = metrics.horizontalAdvance(label), h = metrics.height();
            // The label's framed box, as the chart draws it around the bend handle.
            const QRect box(route.mid.x - w / 2 - 1, route.mid.y - h / 2 - 1, w + 2, h + 2);
            if (const ActionBlock* hit = onOtherBlock(box, nullptr, nullptr))
                faults << QStringLiteral("%1 label \"%2\" lies on %3").arg(describe(b), label, describe(*hit));
            if (!chart.contains(box))
                faults << QStringLiteral("%1 label \"%2\" is cut by the chart's edge").arg(describe(b), label);
            labels.append({box, QStringLiteral("%1 \"%2\"").arg(describe(b), label)});
        }
        const std::u16string caption = chartCaption(b, text, useCalc);
        const std::optional<Rect> box = captionRect(b, blockRect(b));
        if (caption.empty() || !box) continue;
        // The caption is centred in its box and cut to its width.
        const QRect area = toQRect(*box);
        const int w = std::min(area.width(), metrics.horizontalAdvance(toQ(caption)));
        const QRect drawn(area.left() + (area.width() - w) / 2, area.top(), w, metrics.height());
        if (const ActionBlock* hit = onOtherBlock(drawn, &b, nullptr))
            faults << QStringLiteral("%1 caption \"%2\" lies on %3").arg(describe(b), toQ(caption), describe(*hit));
    }
    for (int i = 0; i < labels.size(); ++i)
        for (int j = i + 1; j < labels.size(); ++j)
            if (labels[i].first.intersects(labels[j].first))
                faults << QStringLiteral("labels lie on each other: %1 and %2").arg(labels[i].second, labels[j].second);
    return faults;
}

// A chart of `blocks` random blocks with random links, as a program read from a robot may hold:
// branches in and out of loops, jumps up and down, outputs left open.
BlockProgram randomChart(unsigned seed, int blocks) {
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    BlockProgram p;
    const auto add = [&](BlockType type) {
        auto b = std::make_unique<ActionBlock>();
        b->type = type;
        b->param = defaultParams(type);
        b->width = blockSize(type).width;
        b->height = blockSize(type).height;
        return append(p, std::move(b));
    };
    add(BlockType::Start);
    add(BlockType::End);
    const BlockType kinds[] = {BlockType::Forward,      BlockType::TurnLeft, BlockType::Wait,
                               BlockType::LeftLed,      BlockType::Calc,     BlockType::Branch,
                               BlockType::RandomBranch, BlockType::Branch,   BlockType::RepeatStart};
    int repeats = 0;
    while (int(p.blocks.size()) < blocks) {
        BlockType type = kinds[pick(9)];
        if (type == BlockType::RepeatStart && repeats == kMaxRepeats) type = BlockType::Stop;
        ActionBlock* b = add(type);
        if (type != BlockType::RepeatStart) continue;
        b->param[2] = uint8_t(repeats++);
        ActionBlock* end = add(BlockType::RepeatEnd);
        b->partner = end;
        end->partner = b;
        end->next[1] = b;
    }
    for (const auto& b : p.blocks) {
        for (int i = 0; i < outputCount(b->type); ++i) {
            if (b->next[size_t(i)] || pick(8) == 0) continue;
            ActionBlock* t = blockAt(p, 1 + pick(int(p.blocks.size()) - 1));
            if (t != b.get()) b->next[size_t(i)] = t;
        }
    }
    return p;
}

}  // namespace

class ExamplesLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void examplesReadWell_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("language");
        const QDir dir(QStringLiteral(TROVEL_SOURCE_DIR "/examples"));
        const QStringList files = dir.entryList({QStringLiteral("*.qxp")}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 4);
        for (const QString& file : files)
            for (const QString& language : {QStringLiteral("ja"), QStringLiteral("en")})
                QTest::newRow(qPrintable(file + " " + language)) << dir.filePath(file) << language;
    }

    void examplesReadWell() {
        QFETCH(QString, file);
        QFETCH(QString, language);
        BlockProgram program;
        QVERIFY(loadProgram(program, std::filesystem::path(file.toStdU16String())).ok());
        const QStringList faults = readingFaults(program, language);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    }
    // The examples written to a robot and read back: the chart is laid out afresh from the links.
    void chartsReadFromTheRobotReadWell_data() { examplesReadWell_data(); }
    void chartsReadFromTheRobotReadWell() {
        QFETCH(QString, file);
        QFETCH(QString, language);
        BlockProgram written;
        QVERIFY(loadProgram(written, std::filesystem::path(file.toStdU16String())).ok());
        const CompileResult compiled = compileProgram(written);
        QVERIFY(compiled.ok());
        BlockProgram program;
        decodeSequence(program, compiled.image.bytes.data(), size_t(compiled.image.length));
        QCOMPARE(program.blocks.size(), written.blocks.size());
        const QStringList faults = readingFaults(program, language);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    }

    void randomChartsLaidOutReadWell_data() {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<QString>("language");
        for (unsigned seed = 1; seed <= 100; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed << QString(seed % 2 ? "ja" : "en");
    }
    void randomChartsLaidOutReadWell() {
        QFETCH(unsigned, seed);
        QFETCH(QString, language);
        BlockProgram program = randomChart(seed, 4 + int(seed % 47));
        layoutChart(program);
        const QStringList faults = readingFaults(program, language);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    }
};

QTEST_MAIN(ExamplesLayoutTest)
#include "examples_layout_test.moc"
