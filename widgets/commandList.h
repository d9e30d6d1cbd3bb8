#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace widgets {

class CommandList;

// What a command is made of when it is added to a list.
struct CommandDef {
    QString name;
    QString caption;
    QString hint;
    int imageIndex = -1;
    quint16 shortCut = 0;
    QStringList secondaryShortCuts; // texts such as "Ctrl+Space", parsed on adding
    std::function<void()> onExecute;
};

// One row of a command list. Its QAction carries caption, hint, icon and
// enabled state to tool buttons and menu items; the keys are handled by the
// list's dispatch, never by Qt's shortcut machinery.
class Command : public QObject {
    Q_OBJECT
public:
    const QString &name() const;
    const QString &caption() const;
    void setCaption(const QString &caption);
    const QString &hint() const;
    int imageIndex() const;
    quint16 shortCut() const;
    void setShortCut(quint16 shortCut);
    // Second keys, parsed; unknown texts are dropped.
    const QList<quint16> &secondaryShortCuts() const;
    bool matches(quint16 key) const;

    bool enabled() const;
    void setEnabled(bool enabled);
    bool hasHandler() const;

    // Runs the handler when the command is enabled and has one; true when
    // it ran.
    bool execute();

    // For tool buttons and menu items. Its text is the caption followed by
    // a tab and the first key's text, which menus show as the key column;
    // it has no Qt shortcut.
    QAction *action() const;

private:
    friend class CommandList;
    Command(CommandList &list, const CommandDef &def);
    void syncAction();

    CommandList &m_list;
    QString m_name;
    QString m_caption;
    QString m_hint;
    int m_imageIndex = -1;
    quint16 m_shortCut = 0;
    QList<quint16> m_secondary;
    bool m_enabled = true;
    std::function<void()> m_onExecute;
    QAction *m_action = nullptr;
};

// An ordered table of commands. The order decides which command takes a
// key that several commands name.
class CommandList : public QObject {
    Q_OBJECT
public:
    explicit CommandList(QObject *parent = nullptr);
    ~CommandList() override;

    Command &add(const CommandDef &def);
    Command *find(QStringView name) const;
    // The command whose action this is, if any.
    Command *commandOf(const QAction *action) const;
    int count() const;
    Command &at(int index) const;

    // Runs the named command if it is enabled; true when it ran.
    bool execute(QStringView name);

    // Icons by image index, for the commands' actions.
    void setImages(std::function<QIcon(int)> images);
    QIcon image(int index) const;

    // The refresh done whenever the application becomes idle: a command
    // without a handler is disabled.
    void updateCommands();

private:
    std::vector<std::unique_ptr<Command>> m_commands;
    std::function<QIcon(int)> m_images;
};

// Where a key goes, decided before the focused control sees it.
struct KeyRoute {
    bool consumed = false; // the focused control does not see the key
    Command *command = nullptr; // to run; null when nothing runs
};

// The dispatch order of the main window. With the focus in a grid, the
// items of the grid's context menu are searched first by their command's
// first key: a match consumes the key and runs the command if enabled.
// Otherwise the list is searched in order, first key then second keys: the
// first match runs and consumes the key if enabled, or, if disabled, ends
// the search and leaves the key to the focused control. Keys matching
// nothing go to the focused control.
KeyRoute RouteKey(quint16 key, const QMenu *focusedGridMenu, const CommandList &list);
// RouteKey, then runs the command; true when the key is consumed.
bool DispatchKey(quint16 key, const QMenu *focusedGridMenu, CommandList &list);

// Offers every key pressed in a window to its command list before the
// focused control sees it, and keeps Qt's own shortcuts from acting on the
// keys the commands take.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    // Watches the key events of window's descendants; the list must outlive it.
    KeyPreview(QWidget *window, CommandList &list);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QMenu *gridMenuOf(QWidget *focused) const;

    QWidget *m_window;
    CommandList &m_list;
};

} // namespace widgets
