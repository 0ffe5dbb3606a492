#pragma once
// The goal and failure sounds. Plays through Qt Multimedia when the build has it; silent otherwise.

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSoundEffect;

namespace trovel {

class SimSound : public QObject {
    Q_OBJECT
public:
    explicit SimSound(QObject* parent = nullptr);
    ~SimSound() override;

    // Starts the file playing without waiting; a file that cannot be played is skipped.
    void play(const QString& path);
    // How many play requests reached a player (0 in a build without sound).
    int started() const { return m_started; }

signals:
    // Once, at the first sound asked for when there is no device to play it on (no sound server).
    void unavailable();

private:
#ifdef TROVEL_HAVE_MULTIMEDIA
    std::map<QString, QSoundEffect*> m_effects;  // one player per file, owned as children
#endif
    int m_started = 0;
    bool m_outputChecked = false;
};

}  // namespace trovel
