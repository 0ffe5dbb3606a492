#pragma once
// What one run of the studio shares between its windows: the folders it reads and writes, the
// option word and what start-up read. main() builds the one context and hands it by reference to
// the windows that need it; nothing reaches it any other way.

#include <cstdint>

#include "app/app_config.h"
#include "base/app_folder.h"
#include "model/option_flags.h"

namespace trovel {

struct StudioContext {
    AppFolders folders;   // shared: read; user: where settings and records are written (empty: nowhere)
    OptionFlags options;  // user options and application state; the link thread sets its own bits
    AppConfig config;     // settings, memory names, skin, language pack; UI thread only
};

// Start-up from the context's folders, as loadAppFolders; on success the saved option bits are
// replaced by the file's, and the state bits are kept.
StartupResult loadStudioContext(StudioContext& context, uint32_t localeId);

// Writes the settings, with the saved bits of the options, to qx_def.ini in the user folder.
// False when the file could not be written (the previous file is kept) or there is no user folder.
bool saveAppSettings(StudioContext& context);

}  // namespace trovel
