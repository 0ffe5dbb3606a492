// The printf-style formatter over any format text, with arguments that match it or not.

#include "base/message_format.h"
#include "fuzz/fuzz_input.h"

#include <climits>
#include <cmath>
#include <limits>

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string format = fuzz::utf16Of(data, size);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    formatMessage(format, {});
    formatMessage(format, {INT_MAX, LLONG_MIN, -1.0e300, u"text"});
    formatMessage(format, {nan, HUGE_VAL, u'\xD800', std::u16string_view()});
    formatMessage(format, {static_cast<const char16_t*>(nullptr), 0u, u"秒", 0.05});
    conversionsOf(format);
    return 0;
}
