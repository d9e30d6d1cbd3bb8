#pragma once

#include "store/textPane.h"

#include <QPlainTextEdit>
#include <QStringList>

namespace widgets {

// The summary panes: fixed-pitch text with a vertical scroll bar and
// wrapped lines. Focused by a click only, yet the user may type into it;
// nothing reads the text back and every refresh replaces it.
class TMemo : public QPlainTextEdit, public store::TextPane {
    Q_OBJECT
public:
    explicit TMemo(QWidget *parent = nullptr);

    void clear() override;
    void addLine(const QString &line) override;

    // The text line by line; empty for an empty pane.
    QStringList lines() const;
};

} // namespace widgets
