#include "sim/gui/sim_sound.h"

#include <QFileInfo>
#include <QUrl>

#ifdef TROVEL_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#endif

namespace trovel {

SimSound::SimSound(QObject* parent) : QObject(parent) {}

SimSound::~SimSound() = default;

void SimSound::play(const QString& path) {
#ifdef TROVEL_HAVE_MULTIMEDIA
    if (!QFileInfo(path).isFile()) return;
    // Without a sound server the players fail without a word: the user is told once.
    if (!m_outputChecked) {
        m_outputChecked = true;
        if (QMediaDevices::audioOutputs().isEmpty()) emit unavailable();
    }
    QSoundEffect*& effect = m_effects[path];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(path));
    }
    // A new sound cuts the one still playing, as one asynchronous player does.
    effect->stop();
    effect->play();
    ++m_started;
#else
    (void)path;
#endif
}

}  // namespace trovel
