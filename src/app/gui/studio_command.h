#pragma once
// The studio window's commands, as its menus, accelerators, toolbar and block menu name them.

#include <cstdint>

namespace trovel {

enum class Command {
    None,  // a separator in a menu, a gap in the toolbar
    New,
    Open,
    Save,
    SaveAs,
    PrintProgram,
    PrintCourse,
    Exit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    Delete,
    SelectAll,
    WriteProgram,
    ReadProgram,
    Screenshot,
    MotorSettings,
    SimMotorSettings,
    Options,
    MemoryMap,
    About,
    FirmwareUpdate,
    Simulator,
    CourseDesigner,
    TeachersGuide,
    Examples,
};

// The command's menu text: its number in the string table, the number language packs translate.
uint16_t commandTextId(Command command);

}  // namespace trovel
