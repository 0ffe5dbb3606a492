#pragma once
// The about box: product name, version, company, copyright and comment of this build.

#include <QDialog>
#include <QString>

namespace trovel {

struct VersionInfo {
    QString product;
    QString version;
    QString company;
    QString copyright;
    QString comment;
};

// The values compiled into this build.
VersionInfo studioVersion();

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const VersionInfo& info = studioVersion(), QWidget* parent = nullptr);
};

}  // namespace trovel
