#pragma once
// The standard buttons of Qt's message boxes and dialogs ("Yes", "Cancel", ...) in the language
// of the string table, so a Japanese studio does not ask its questions with English buttons.

#include <QTranslator>

namespace trovel {

class StandardTextTranslator : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
};

}  // namespace trovel
