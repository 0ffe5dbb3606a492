#include "app/gui/studio_command.h"

#include "base/string_ids.h"

namespace trovel {

uint16_t commandTextId(Command command) {
    switch (command) {
    case Command::None: return 0;
    case Command::Exit: return 40001;
    case Command::New: return 40002;
    case Command::Save: return 40003;
    case Command::SaveAs: return 40004;
    case Command::Open: return 40005;
    case Command::Undo: return 40006;
    case Command::Redo: return 40007;
    case Command::Cut: return 40008;
    case Command::Copy: return 40009;
    case Command::Paste: return 40010;
    case Command::Delete: return 40011;
    case Command::WriteProgram: return 40015;
    case Command::About: return 40031;
    case Command::SelectAll: return 40032;
    case Command::MotorSettings: return 40033;
    case Command::FirmwareUpdate: return 40046;
    case Command::Options: return 40084;
    case Command::MemoryMap: return 40086;
    case Command::ReadProgram: return 40088;
    case Command::Screenshot: return 40115;
    case Command::SimMotorSettings: return 40116;
    case Command::Simulator: return 40201;
    case Command::PrintCourse: return Str::PrintCourse;
    case Command::PrintProgram: return Str::PrintProgram;
    case Command::CourseDesigner: return Str::CourseDesigner;
    case Command::TeachersGuide: return Str::HelpTeachersGuide;
    case Command::Examples: return Str::HelpExamples;
    }
    return 0;
}

}  // namespace trovel
