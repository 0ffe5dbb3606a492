#pragma once
// Flowchart -> robot byte code.

#include <string>

#include "model/program.h"
#include "model/sequence_code.h"

namespace trovel {

enum class CompileStatus {
    Compiled,
    TooLarge,      // more than kMaxInstructions; bytesOver = 8 x n - 1024
    BrokenRepeat,  // a repeat block without its partner or numbered above 6; blockIndex names it
};

struct CompileResult {
    CompileStatus status = CompileStatus::Compiled;
    SequenceImage image;  // valid when compiled
    int instructions = 0;
    int bytesOver = 0;
    int blockIndex = -1;
    bool ok() const { return status == CompileStatus::Compiled; }
};

CompileResult compileProgram(const BlockProgram& program);

// "<string 32> \r\n(<n> Byte over)" given the text of string 32.
std::u16string tooLargeMessage(std::u16string_view string32, int bytesOver);

}  // namespace trovel
