#include "model/program_file.h"

#include <algorithm>

#include "model/text_record_file.h"

namespace trovel {

namespace {

constexpr std::u16string_view kFormatKey = u"FORMAT_";
constexpr std::u16string_view kFormatName = u"QX_FMT_4";
constexpr std::u16string_view kRecordKey = u"CMD_";

struct RecordError {
    std::string reason;
};

// Splits "a,b" into two numbers; false when the comma is missing.
bool readPair(std::u16string_view field, int32_t& a, int32_t& b) {
    size_t comma = field.find(u',');
    if (comma == std::u16string_view::npos) return false;
    a = toInt(field.substr(0, comma));
    b = toInt(field.substr(comma + 1));
    return true;
}

// A position or bend pair, held where the editor can still move and draw it.
bool readCoordinates(std::u16string_view field, int32_t& a, int32_t& b) {
    if (!readPair(field, a, b)) return false;
    a = std::clamp(a, -kMaxCoordinate, kMaxCoordinate);
    b = std::clamp(b, -kMaxCoordinate, kMaxCoordinate);
    return true;
}

// Reads one record starting at "CMD_"; returns an error text when a field is missing or out of range.
std::string parseRecord(std::u16string_view line, ActionBlock& block) {
    size_t pos = line.find(kRecordKey);
    std::u16string field;
    pos = nextTextField(line, pos, field);
    if (pos == std::u16string_view::npos) return "name field missing";
    if (field.size() > static_cast<size_t>(kMaxNameChars)) return "name longer than 31 characters";
    block.name = field;

    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos || !readCoordinates(field, block.x, block.y))
        return "position field x,y missing";

    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos) return "type field missing";
    int type = toInt(field);
    if (!isValidBlockType(type)) return "block type outside 1..17";
    block.type = static_cast<BlockType>(type);

    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos) return "parameter field missing";
    std::u16string_view params = field;
    for (size_t i = 0; i < block.param.size() && !params.empty(); ++i) {
        size_t comma = params.find(u',');
        block.param[i] = static_cast<uint8_t>(toInt(params.substr(0, comma)));
        params = comma == std::u16string_view::npos ? std::u16string_view{} : params.substr(comma + 1);
    }

    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos || !readCoordinates(field, block.bend[0], block.bend[1]))
        return "bend field missing";
    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos || !readPair(field, block.nextIndex[0], block.nextIndex[1]))
        return "link field missing";
    pos = nextField(line, pos, field);
    if (pos == std::u16string_view::npos) return "partner field missing";
    block.partnerIndex = toInt(field);

    BlockSize size = blockSize(block.type);
    block.width = size.width;
    block.height = size.height;
    return {};
}

bool pairedTypes(BlockType a, BlockType b) {
    return (a == BlockType::Start && b == BlockType::End) || (a == BlockType::End && b == BlockType::Start) ||
           (a == BlockType::RepeatStart && b == BlockType::RepeatEnd) ||
           (a == BlockType::RepeatEnd && b == BlockType::RepeatStart);
}

// Resolves indices into links, dropping what the editor could never have made. A pairing that is
// not mutual is dropped on both sides; the file still loads, as files read back from a robot or
// saved by older versions hold such blocks, and the repeat check and the compiler refuse them.
void linkBlocks(BlockProgram& program) {
    for (auto& block : program.blocks) {
        ActionBlock& b = *block;
        for (int k = 0; k < 2; ++k) {
            ActionBlock* target = blockAt(program, b.nextIndex[k]);
            b.next[k] = target && target->type != BlockType::Start ? target : nullptr;
        }
        if (!hasSecondOutput(b.type)) b.next[1] = nullptr;
        ActionBlock* partner = usesPartner(b.type) ? blockAt(program, b.partnerIndex) : nullptr;
        b.partner = partner && pairedTypes(b.type, partner->type) ? partner : nullptr;
    }
    for (auto& block : program.blocks) {
        ActionBlock& b = *block;
        if (b.partner && b.partner->partner != &b) b.partner = nullptr;
        // The loop-back of a pair is never detached; an unpaired end keeps the link it was saved with.
        if (b.type == BlockType::RepeatEnd && b.partner) b.next[1] = b.partner;
    }
}

}  // namespace

LoadResult loadProgram(BlockProgram& program, const std::filesystem::path& path) {
    LoadResult result;
    TextRecordFile file;
    if (!file.open(path, u"r")) return result;

    std::u16string line;
    file.readLine(line);
    size_t key = line.find(kFormatKey);
    std::u16string format;
    if (key == std::u16string::npos || nextField(line, key, format) == std::u16string_view::npos ||
        format != kFormatName) {
        result.status = LoadStatus::NotProgramFile;
        return result;
    }

    BlockProgram loaded;
    for (;;) {
        size_t length = file.readLine(line);
        if (length == 0) break;
        int lineNumber = file.lineNumber();
        if (line.find(kRecordKey) == std::u16string::npos) continue;
        auto block = std::make_unique<ActionBlock>();
        std::string error = parseRecord(line, *block);
        if (!error.empty()) {
            result.status = LoadStatus::Damaged;
            result.line = lineNumber;
            result.reason = error;
            return result;
        }
        append(loaded, std::move(block));
    }
    linkBlocks(loaded);
    file.close();
    program.blocks = std::move(loaded.blocks);
    program.currentBlock = nullptr;
    program.filePath = pathText(path);
    result.status = LoadStatus::Loaded;
    return result;
}

std::u16string programFileText(const BlockProgram& program) {
    std::u16string text = u"FORMAT_:[";
    text += kFormatName;
    text += u"]\n\n";
    auto index = indexMap(program);
    auto indexOfLink = [&](const ActionBlock* b) {
        auto it = index.find(b);
        return it == index.end() ? -1 : it->second;
    };
    auto num = [](long long v) { return fromNumber(v); };
    for (const auto& b : program.blocks) {
        text += u"CMD_\t[[";
        text += b->name;
        text += u"]]-[" + num(b->x) + u"," + num(b->y) + u"]-[" + num(static_cast<int>(b->type)) + u"]-[";
        for (size_t i = 0; i < b->param.size(); ++i) {
            if (i) text += u',';
            text += num(b->param[i]);
        }
        text += u"]-[" + num(b->bend[0]) + u"," + num(b->bend[1]) + u"]-[" + num(indexOfLink(b->next[0])) + u"," +
                num(indexOfLink(b->next[1])) + u"]-[" + num(indexOfLink(b->partner)) + u"]\n";
    }
    return text;
}

bool saveProgram(BlockProgram& program, const std::filesystem::path& path) {
    TextRecordFile file;
    if (!file.open(path, u"w")) return false;
    file.writeText(programFileText(program));
    if (!file.close()) return false;
    program.filePath = pathText(path);
    return true;
}

std::u16string fileTitle(std::u16string_view path) {
    size_t slash = path.find_last_of(u"\\/");
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace trovel
