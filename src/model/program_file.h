#pragma once
// The program file: a "FORMAT_:[QX_FMT_4]" header and one CMD_ record per block.

#include <filesystem>
#include <string>

#include "model/program.h"

namespace trovel {

enum class LoadStatus {
    Loaded,
    CannotOpen,  // the file cannot be opened for reading
    NotProgramFile,  // header missing or another format: "このファイルフォーマットには対応していません"
    Damaged,         // a record cannot be read; `line` names it
};

struct LoadResult {
    LoadStatus status = LoadStatus::CannotOpen;
    int line = 0;        // 1-based line of a damaged record
    std::string reason;  // what is wrong with that record (English, for logs and the CLI)
    bool ok() const { return status == LoadStatus::Loaded; }
};

// Reads a program file into `program`, replacing it only when the whole file was read; on any
// failure `program` is left untouched. On success filePath is the path and currentBlock null.
LoadResult loadProgram(BlockProgram& program, const std::filesystem::path& path);

// Writes every block; the previous file survives a failed save. On success filePath = path.
bool saveProgram(BlockProgram& program, const std::filesystem::path& path);

// The text saveProgram writes, with LF line ends (the file layer writes them as CR LF).
std::u16string programFileText(const BlockProgram& program);

// The file's name after the last folder separator (for the window title).
std::u16string fileTitle(std::u16string_view path);

}  // namespace trovel
