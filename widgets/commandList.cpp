#include "widgets/commandList.h"

#include "widgets/dbGrid.h"
#include "widgets/keys.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace widgets {

Command::Command(CommandList &list, const CommandDef &def)
    : QObject(&list)
    , m_list(list)
    , m_name(def.name)
    , m_caption(def.caption)
    , m_hint(def.hint)
    , m_imageIndex(def.imageIndex)
    , m_shortCut(def.shortCut)
    , m_onExecute(def.onExecute)
    , m_action(new QAction(this))
{
    for (const QString &text : def.secondaryShortCuts) {
        if (const quint16 key = TextToShortCut(text))
            m_secondary.append(key);
    }
    setObjectName(m_name);
    m_action->setObjectName(m_name);
    connect(m_action, &QAction::triggered, this, [this] { execute(); });
    syncAction();
}

const QString &Command::name() const
{
    return m_name;
}

const QString &Command::caption() const
{
    return m_caption;
}

void Command::setCaption(const QString &caption)
{
    m_caption = caption;
    syncAction();
}

const QString &Command::hint() const
{
    return m_hint;
}

int Command::imageIndex() const
{
    return m_imageIndex;
}

quint16 Command::shortCut() const
{
    return m_shortCut;
}

void Command::setShortCut(quint16 shortCut)
{
    m_shortCut = shortCut;
    syncAction();
}

const QList<quint16> &Command::secondaryShortCuts() const
{
    return m_secondary;
}

bool Command::matches(quint16 key) const
{
    return key != 0 && (m_shortCut == key || m_secondary.contains(key));
}

bool Command::enabled() const
{
    return m_enabled;
}

void Command::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    m_action->setEnabled(enabled);
}

bool Command::hasHandler() const
{
    return static_cast<bool>(m_onExecute);
}

bool Command::execute()
{
    if (!m_enabled || !m_onExecute)
        return false;
    // A copy: the handler may replace itself or the command's handler.
    const auto handler = m_onExecute;
    handler();
    return true;
}

QAction *Command::action() const
{
    return m_action;
}

void Command::syncAction()
{
    QString text = m_caption;
    const QString keyText = ShortCutToText(m_shortCut);
    if (!keyText.isEmpty())
        text += u'\t' + keyText;
    m_action->setText(text);
    m_action->setIconText(m_caption);
    m_action->setToolTip(m_hint);
    m_action->setIcon(m_list.image(m_imageIndex));
    m_action->setEnabled(m_enabled);
}

CommandList::CommandList(QObject *parent)
    : QObject(parent)
{
    // Commands without a handler turn grey the first time the program
    // waits for input, and stay so.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CommandList::updateCommands);
}

CommandList::~CommandList() = default;

Command &CommandList::add(const CommandDef &def)
{
    m_commands.push_back(std::unique_ptr<Command>(new Command(*this, def)));
    return *m_commands.back();
}

Command *CommandList::find(QStringView name) const
{
    for (const auto &command : m_commands) {
        if (command->name().compare(name, Qt::CaseInsensitive) == 0)
            return command.get();
    }
    return nullptr;
}

Command *CommandList::commandOf(const QAction *action) const
{
    if (!action)
        return nullptr;
    for (const auto &command : m_commands) {
        if (command->action() == action)
            return command.get();
    }
    return nullptr;
}

int CommandList::count() const
{
    return static_cast<int>(m_commands.size());
}

Command &CommandList::at(int index) const
{
    return *m_commands.at(static_cast<size_t>(index));
}

bool CommandList::execute(QStringView name)
{
    Command *command = find(name);
    return command && command->execute();
}

void CommandList::setImages(std::function<QIcon(int)> images)
{
    m_images = std::move(images);
    for (const auto &command : m_commands)
        command->syncAction();
}

QIcon CommandList::image(int index) const
{
    if (!m_images || index < 0)
        return {};
    return m_images(index);
}

void CommandList::updateCommands()
{
    for (const auto &command : m_commands) {
        if (!command->hasHandler())
            command->setEnabled(false);
    }
}

KeyRoute RouteKey(quint16 key, const QMenu *focusedGridMenu, const CommandList &list)
{
    if (key == 0)
        return {};
    if (focusedGridMenu) {
        const auto actions = focusedGridMenu->actions();
        for (const QAction *item : actions) {
            Command *command = list.commandOf(item);
            if (command && command->shortCut() == key)
                return { true, command->enabled() && command->hasHandler() ? command : nullptr };
        }
    }
    for (int i = 0; i < list.count(); ++i) {
        Command &command = list.at(i);
        if (!command.matches(key))
            continue;
        if (command.enabled() && command.hasHandler())
            return { true, &command };
        return {};
    }
    return {};
}

bool DispatchKey(quint16 key, const QMenu *focusedGridMenu, CommandList &list)
{
    const KeyRoute route = RouteKey(key, focusedGridMenu, list);
    if (route.command)
        route.command->execute();
    return route.consumed;
}

KeyPreview::KeyPreview(QWidget *window, CommandList &list)
    : QObject(window)
    , m_window(window)
    , m_list(list)
{
    // Key events go to the focused widget, so only an application-wide
    // filter sees them before the widget does.
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

const QMenu *KeyPreview::gridMenuOf(QWidget *focused) const
{
    for (QWidget *w = focused; w && w != m_window; w = w->parentWidget()) {
        if (const auto *grid = qobject_cast<const TDBGrid *>(w))
            return grid->popupMenu();
    }
    return nullptr;
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_window)
        return false;
    // An ignored key travels up to the parents; it is offered to the
    // commands only once, where it starts.
    QWidget *focused = QApplication::focusWidget();
    if (focused ? widget != focused : widget != m_window)
        return false;

    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const quint16 key = KeyFromEvent(*keyEvent);
    const KeyRoute route = RouteKey(key, gridMenuOf(focused), m_list);
    if (!route.consumed)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Accepting the override keeps Qt's shortcuts off the key; the
        // command runs on the key press that follows.
        event->accept();
        return true;
    }
    if (route.command)
        route.command->execute();
    return true;
}

} // namespace widgets
