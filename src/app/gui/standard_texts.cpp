#include "app/gui/standard_texts.h"

#include <cstring>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"

namespace trovel {

QString StandardTextTranslator::translate(const char* context, const char* sourceText, const char*, int) const {
    // Qt names its standard button texts under this context.
    if (!context || !sourceText || std::strcmp(context, "QPlatformTheme") != 0) return {};
    static const struct {
        const char* source;
        int id;
    } kButtons[] = {
        {"OK", Str::ButtonOk},       {"Cancel", Str::ButtonCancel}, {"&Yes", Str::ButtonYes},
        {"&No", Str::ButtonNo},      {"Close", Str::ButtonClose},   {"Abort", Str::ButtonAbort},
        {"Retry", Str::ButtonRetry}, {"Ignore", Str::ButtonIgnore},
    };
    for (const auto& b : kButtons)
        if (std::strcmp(sourceText, b.source) == 0) return uiText(b.id);
    return {};
}

}  // namespace trovel
