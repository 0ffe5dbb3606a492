#pragma once
// Qt for drawing without a window or a display, as trovel-cli's pictures and PDFs need it: an
// offscreen application when the process has none, and Qt's notes about the missing desktop
// session kept off the caller's error stream meanwhile.

#include <QtGlobal>

namespace trovel {

class HeadlessGui {
public:
    HeadlessGui();
    ~HeadlessGui();
    HeadlessGui(const HeadlessGui&) = delete;
    HeadlessGui& operator=(const HeadlessGui&) = delete;

private:
    bool m_ownApp = false;
    QtMessageHandler m_previousHandler = nullptr;
};

}  // namespace trovel
