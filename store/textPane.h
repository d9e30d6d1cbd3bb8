#pragma once

#include <QString>

namespace store {

// Where the service summary is written; the main window's and the
// calculation window's text panes implement it.
class TextPane {
public:
    virtual ~TextPane() = default;
    // Removes every line.
    virtual void clear() = 0;
    // Appends one line.
    virtual void addLine(const QString &line) = 0;
};

} // namespace store
