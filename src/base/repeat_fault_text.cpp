#include "base/repeat_fault_text.h"

#include "base/message_format.h"
#include "base/string_ids.h"
#include "base/resource_library.h"
#include "model/repeat_check.h"

namespace trovel {

std::u16string repeatFaultQuestion(int fault, RepeatFaultStops stops) {
    const bool run = stops == RepeatFaultStops::Run;
    if (fault < 0 || fault >= kRepeatFaultUntied)
        return resString(run ? Str::RepeatFaultStopRun : Str::RepeatFaultStopWrite);
    const std::u16string format = resString(run ? Str::RepeatNumberFaultStopRun : Str::RepeatNumberFaultStopWrite);
    return formatMessage(format, {MessageArg(static_cast<char16_t>(u'①' + fault))});
}

}  // namespace trovel
