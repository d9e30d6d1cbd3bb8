#include "app/Main.h"

#include "dialogs/About.h"
#include "dialogs/Calc.h"
#include "dialogs/Emp.h"
#include "dialogs/Exp.h"
#include "dialogs/placement.h"
#include "dialogs/uMsgDlg.h"
#include "platform/clock.h"
#include "resources/resources.h"
#include "store/startup.h"
#include "store/storeError.h"
#include "store/uDM.h"
#include "widgets/commandList.h"
#include "widgets/dbGrid.h"
#include "widgets/drawFrame.h"
#include "widgets/keys.h"
#include "widgets/memoPane.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QFont Tahoma(int pixelSize)
{
    QFont font(u"Tahoma"_s);
    font.setPixelSize(pixelSize);
    return font;
}

constexpr int kToolButtonSize = 34;
constexpr int kSeparatorWidth = 8;

} // namespace

TfMain::TfMain(store::Tdm &dm, const QString &executableDir, QWidget *parent)
    : QMainWindow(parent)
    , fDm(dm)
{
    fStarted = FormCreate(executableDir);
}

TfMain::~TfMain()
{
    // The data module outlives the window: it must not call back into it.
    fDm.setOutItog({});
}

bool TfMain::FormCreate(const QString &executableDir)
{
    setObjectName(u"fMain"_s);
    setWindowTitle(u"Тарвик"_s);
    setWindowIcon(resources::ProgramIcon());
    setFont(Tahoma(11));

    CreateCommands();
    CreateLayout();
    CreateToolStrip();
    CreateMenu();

    PlaceWindow();

    const store::StartupResult startup = store::StartStore(fDm, executableDir);
    if (!startup.ok) {
        MsgError(QString(), startup.message);
        return false;
    }

    fDm.setOutItog([this] { prOutItog(); });
    prOutItog();
    prUpdateActions();
    return true;
}

void TfMain::PlaceWindow()
{
    // Outer size 1024 x 768, frame included, centred on the screen.
    const QSize outer(1024, 768);
    resize(outer.shrunkBy(FrameMargins(this)));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), outer);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TfMain::CreateCommands()
{
    alMain = new widgets::CommandList(this);
    alMain->setObjectName(u"alMain"_s);
    alMain->setImages([](int index) { return resources::CommandIcon(index); });

    auto add = [this](const QString &name, const QString &caption, const QString &hint, quint16 key,
                      const QStringList &secondKeys, int icon, std::function<void()> run) {
        return &alMain->add({name, caption, hint, icon, key, secondKeys, std::move(run)});
    };
    // The order decides which command takes a key that several name.
    acAdd = add(u"acAdd"_s, u"Добавить"_s, u"Добавить"_s, 45, {}, 0, [this] { prAdd(); });
    acDel = add(u"acDel"_s, u"Удалить"_s, u"Удалить"_s, 16430, {}, 2, [this] { prDel(); });
    acEdit = add(u"acEdit"_s, u"Изменить"_s, u"Изменить"_s, 16397, {}, 4, [this] { prEdit(); });
    acFind = add(u"acFind"_s, u"Найти"_s, u"Найти"_s, 16454, {u"Ctrl+Space"_s}, 7, nullptr);
    acAbout = add(u"acAbout"_s, u"О программке"_s, u"О программке, краткая помощь"_s, 112, {}, 5,
                  [] { ShowAbout(); });
    acExit = add(u"acExit"_s, u"Выйти"_s, u"Выйти из программы"_s, 32856, {u"F10"_s}, 6, [this] { close(); });
    acCalc = add(u"acCalc"_s, u"Расчитать на дату"_s, u"Расчитать на дату"_s, 16466, {}, 1,
                 [this] { acCalcExecute(); });
    acCopy = add(u"acCopy"_s, u"Добавить копированием"_s, u"Добавить копированием"_s, 16429, {}, 3,
                 [this] { prCopy(); });
    acSel = add(u"acSel"_s, u"Выбрать"_s, u"Выбрать"_s, 16416, {u"SPACE"_s}, 8, [this] { prSel(); });
    acSelAll = add(u"acSelAll"_s, u"Выбрать всё"_s, u"Выбрать всё"_s, 16449, {}, 9, [this] { prSelAll(true); });
    acUnSelAll = add(u"acUnSelAll"_s, u"Отменить выбор всех"_s, u"Отменить выбор всех"_s, 32833, {}, 10,
                     [this] { prSelAll(false); });

    fKeyPreview = new widgets::KeyPreview(this, *alMain);
}

void TfMain::CreateLayout()
{
    pcMain = new QTabWidget(this);
    pcMain->setObjectName(u"pcMain"_s);
    pcMain->tabBar()->hide();
    pcMain->setDocumentMode(true);
    pcMain->setFocusPolicy(Qt::NoFocus);
    tsMain = new QWidget;
    tsMain->setObjectName(u"tsMain"_s);
    pcMain->addTab(tsMain, QString());
    pcMain->setCurrentWidget(tsMain);
    setCentralWidget(pcMain);

    splWorker = new QSplitter(Qt::Horizontal, tsMain);
    splWorker->setObjectName(u"splWorker"_s);
    splWorker->setHandleWidth(5);
    splWorker->setChildrenCollapsible(false);
    auto *pageLayout = new QVBoxLayout(tsMain);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(splWorker);

    grdEmp = new widgets::TDBGrid;
    grdEmp->setObjectName(u"grdEmp"_s);
    grdEmp->setFont(Tahoma(13));
    grdEmp->setTitleFont(Tahoma(11));
    grdEmp->setToolTip(u"Список работников (Shift+1)"_s);
    grdEmp->setDataSource(&fDm.DS_EMP);
    grdEmp->setColumns({{u"FIO"_s, u"Фамилия И.О."_s, Qt::AlignCenter, 285, std::nullopt}});
    splWorker->addWidget(grdEmp);

    pnlExp = new QWidget;
    pnlExp->setObjectName(u"pnlExp"_s);
    splWorker->addWidget(pnlExp);
    splWorker->setStretchFactor(0, 0);
    splWorker->setStretchFactor(1, 1);
    splWorker->setSizes({320, 1024 - 320 - 5});

    Splitter1 = new QSplitter(Qt::Vertical, pnlExp);
    Splitter1->setObjectName(u"Splitter1"_s);
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    auto *panelLayout = new QVBoxLayout(pnlExp);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(Splitter1);

    grdExp = new widgets::TDBGrid;
    grdExp->setObjectName(u"grdExp"_s);
    grdExp->setFont(Tahoma(11));
    grdExp->setTitleFont(Tahoma(11));
    grdExp->setToolTip(u"Стаж работника (Shift+F2)"_s);
    grdExp->setDataSource(&fDm.DS_EXP);
    // The flag column fits its title, which is wider than its two-letter values.
    const int tstWidth = QFontMetrics(Tahoma(11)).horizontalAdvance(u"Трудовой"_s) + 4;
    grdExp->setColumns({
        {u"CCHK"_s, u"*"_s, Qt::AlignCenter, 30, std::nullopt},
        {u"PLACE"_s, u"Место работы"_s, Qt::AlignCenter, 224, Tahoma(13)},
        {u"DATEBEG"_s, u"Принят"_s, Qt::AlignCenter, 75, Tahoma(13)},
        {u"DATEEND"_s, u"Уволен"_s, Qt::AlignCenter, 75, Tahoma(13)},
        {u"CTST"_s, u"Трудовой"_s, Qt::AlignLeft | Qt::AlignVCenter, tstWidth, std::nullopt},
        {u"CSTS"_s, u"Страховой"_s, Qt::AlignLeft | Qt::AlignVCenter, 64, std::nullopt},
        {u"CNST"_s, u"Непрерывный"_s, Qt::AlignLeft | Qt::AlignVCenter, 64, std::nullopt},
    });
    grdExp->setOnDrawColumnCell([this](QPainter *painter, const QRect &rect, int column, store::Field &field,
                                       bool selected) {
        grdExpDrawColumnCell(painter, rect, column, field, selected);
    });
    Splitter1->addWidget(grdExp);

    meExp = new widgets::TMemo;
    meExp->setObjectName(u"meExp"_s);
    Splitter1->addWidget(meExp);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({768 - 155, 155});

    sbMain = new QStatusBar(this);
    sbMain->setObjectName(u"sbMain"_s);
    sbMain->setFixedHeight(19);
    sbMain->setSizeGripEnabled(true);
    setStatusBar(sbMain);

    setTabOrder(grdEmp, grdExp);

    connect(grdEmp, &widgets::TDBGrid::entered, this, &TfMain::grdEnterExit);
    connect(grdEmp, &widgets::TDBGrid::exited, this, &TfMain::grdEnterExit);
    connect(grdExp, &widgets::TDBGrid::entered, this, &TfMain::grdEnterExit);
    connect(grdExp, &widgets::TDBGrid::exited, this, &TfMain::grdEnterExit);
    connect(grdEmp, &widgets::TDBGrid::doubleClicked, this, &TfMain::grdEmpDblClick);
    connect(grdExp, &widgets::TDBGrid::doubleClicked, this, &TfMain::grdExpDblClick);
}

void TfMain::CreateToolStrip()
{
    cbMain = new QWidget(this);
    cbMain->setObjectName(u"cbMain"_s);
    auto *band = new QHBoxLayout(cbMain);
    band->setContentsMargins(2, 2, 2, 2);
    tbMain = new QToolBar(cbMain);
    tbMain->setObjectName(u"tbMain"_s);
    tbMain->setIconSize(QSize(24, 24));
    tbMain->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbMain->setMovable(false);
    tbMain->setFloatable(false);
    tbMain->setFocusPolicy(Qt::NoFocus);
    band->addWidget(tbMain);
    band->addStretch();
    setMenuWidget(cbMain);

    auto button = [this](const QString &name, QAction *action) {
        tbMain->addAction(action);
        auto *b = qobject_cast<QToolButton *>(tbMain->widgetForAction(action));
        b->setObjectName(name);
        b->setFixedSize(kToolButtonSize, kToolButtonSize);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    auto separator = [this] {
        auto *gap = new QWidget(tbMain);
        gap->setFixedWidth(kSeparatorWidth);
        tbMain->addWidget(gap);
    };

    button(u"btnAdd"_s, acAdd->action());
    button(u"btnCopy"_s, acCopy->action());
    button(u"btnEdit"_s, acEdit->action());
    button(u"btnDel"_s, acDel->action());
    separator();
    // This button's tooltip differs from its command's hint; a button takes
    // its tooltip from its action, so it gets an action of its own that
    // follows the command.
    auto *calcAction = new QAction(acCalc->action()->icon(), acCalc->caption(), this);
    calcAction->setToolTip(u"Рассчитать на дату"_s);
    calcAction->setEnabled(acCalc->action()->isEnabled());
    connect(acCalc->action(), &QAction::changed, calcAction, [this, calcAction] {
        calcAction->setEnabled(acCalc->action()->isEnabled());
        calcAction->setIcon(acCalc->action()->icon());
    });
    connect(calcAction, &QAction::triggered, this, [this] { acCalc->execute(); });
    button(u"btnCalc"_s, calcAction);
    button(u"btnFind"_s, acFind->action());
    separator();
    button(u"btnSel"_s, acSel->action());
    button(u"btnSelAll"_s, acSelAll->action());
    button(u"btnUnSelAll"_s, acUnSelAll->action());
    separator();
    button(u"btnAbout"_s, acAbout->action());
    button(u"btnExit"_s, acExit->action());
}

void TfMain::CreateMenu()
{
    pmMain = new QMenu(this);
    pmMain->setObjectName(u"pmMain"_s);
    auto item = [this](const QString &name, widgets::Command *command) {
        pmMain->addAction(command->action());
        command->action()->setObjectName(name);
    };
    auto separator = [this](const QString &name) { pmMain->addSeparator()->setObjectName(name); };
    item(u"miAdd"_s, acAdd);
    item(u"N2"_s, acCopy);
    item(u"miEdit"_s, acEdit);
    item(u"miDel"_s, acDel);
    separator(u"N1"_s);
    item(u"miFind"_s, acFind);
    item(u"miCalc"_s, acCalc);
    separator(u"N3"_s);
    item(u"miSel"_s, acSel);
    item(u"miSelAll"_s, acSelAll);
    item(u"miUnSelAll"_s, acUnSelAll);
    grdEmp->setPopupMenu(pmMain);
    grdExp->setPopupMenu(pmMain);
}

QWidget *TfMain::activeControl() const
{
    return focusWidget();
}

bool TfMain::EmpHasRow() const
{
    return !fDm.Emp.fieldByName(u"ID").isNull();
}

bool TfMain::ExpHasRow() const
{
    return !fDm.Exp.fieldByName(u"ID").isNull();
}

void TfMain::prOutItog()
{
    fDm.pOutItog(platform::Now(), *meExp);
}

void TfMain::prUpdateActions()
{
    const QWidget *active = activeControl();
    const bool emp = EmpHasRow();
    const bool exp = ExpHasRow();
    const bool inEmp = active && active == grdEmp;
    const bool inExp = active && active == grdExp;

    acDel->setEnabled((inEmp && emp) || (inExp && exp));
    acEdit->setEnabled(acDel->enabled());
    acAdd->setEnabled(inEmp || (inExp && emp));
    acCopy->setEnabled(inExp && exp);
    acCalc->setEnabled(emp);
}

void TfMain::grdEnterExit()
{
    prUpdateActions();
}

void TfMain::grdEmpDblClick()
{
    prEdit();
}

void TfMain::grdExpDblClick()
{
    prEdit();
}

template<typename Change>
void TfMain::Guarded(Change change)
{
    try {
        change();
    } catch (const store::StoreError &error) {
        // Nothing the program posts is refused by the store; if it ever is,
        // the half-done change is dropped and the user learns why.
        for (store::Table *table : {&fDm.Emp, &fDm.Exp}) {
            if (table->state() == store::Table::State::Insert || table->state() == store::Table::State::Edit)
                table->cancel();
        }
        MsgError(QString(), error.message());
    }
}

template<typename Dialog>
void TfMain::Confirm(Dialog *dialog, store::Table &table, bool insert)
{
    // The dialog is closed and read before the table leaves browsing.
    std::unique_ptr<Dialog> dlg(dialog);
    if (dlg->modalResult() != TModalForm::mrOk)
        return;
    Guarded([&] {
        if (insert)
            table.insert();
        else
            table.edit();
        if (dlg->SaveToDS(&table))
            table.post();
        else
            table.cancel();
    });
}

void TfMain::prAdd()
{
    const QWidget *active = activeControl();
    if (active && active == grdEmp)
        Confirm(AddEmpDlg(), fDm.Emp, true);
    else if (active && active == grdExp)
        Confirm(AddExpDlg(&fDm.Exp), fDm.Exp, true);
    prOutItog();
    prUpdateActions();
}

void TfMain::prCopy()
{
    const QWidget *active = activeControl();
    if (active && active == grdExp)
        Confirm(CopyExpDlg(&fDm.Exp), fDm.Exp, true);
    prOutItog();
    prUpdateActions();
}

void TfMain::prEdit()
{
    const QWidget *active = activeControl();
    if (active && active == grdEmp && EmpHasRow()) {
        Confirm(EditEmpDlg(&fDm.Emp), fDm.Emp, false);
        prOutItog();
        return;
    }
    if (active && active == grdExp && ExpHasRow())
        Confirm(EditExpDlg(&fDm.Exp), fDm.Exp, false);
    prOutItog();
}

namespace {

bool AskDelete(const QString &text)
{
    return MsgBox(u"Удалить запись?!"_s, text, 7, {u"Удалить"_s, u"Отмена"_s}, 2) == 1;
}

} // namespace

void TfMain::prDel()
{
    const QWidget *active = activeControl();
    if (active && active == grdEmp) {
        if (!EmpHasRow())
            return;
        const QString text =
            ExpHasRow() ? u"Удалить запись о работнике и его стаже ?!"_s : u"Удалить запись о работнике ?!"_s;
        // The summary follows through the store's notification of the move.
        if (AskDelete(text))
            Guarded([&] { fDm.EmpDel(); });
    } else if (active && active == grdExp) {
        if (!ExpHasRow())
            return;
        if (AskDelete(u"Удалить запись о стаже ?!"_s)) {
            Guarded([&] { fDm.Exp.del(); });
            prOutItog();
        }
    }
    prUpdateActions();
}

void TfMain::prSel()
{
    const QWidget *active = activeControl();
    if (!(active && active == grdExp) || !ExpHasRow())
        return;
    Guarded([&] {
        fDm.Exp.edit();
        store::Field &chk = fDm.Exp.fieldByName(u"CHK");
        chk.setAsBoolean(!chk.asBoolean());
        fDm.Exp.post();
    });
    prOutItog();
}

void TfMain::prSelAll(bool f)
{
    if (!ExpHasRow())
        return;
    store::Table &exp = fDm.Exp;
    const store::Table::Bookmark bookmark = exp.bookmark();
    // One repaint for the whole walk.
    exp.disableControls();
    Guarded([&] {
        exp.first();
        while (!exp.eof()) {
            exp.edit();
            exp.fieldByName(u"CHK").setAsBoolean(f);
            exp.post();
            exp.next();
        }
    });
    exp.gotoBookmark(bookmark);
    exp.enableControls();
    prOutItog();
}

void TfMain::acCalcExecute()
{
    const QString title = u" Внимание ! "_s;
    if (!EmpHasRow()) {
        MsgBox(title, u"Укажите или введите работника для расчёта стажа!"_s, 2, {u"Закрыть"_s}, 1);
        return;
    }
    if (!ExpHasRow()) {
        MsgBox(title, u"По выбраному работнику нет данных для расчёта стажа!"_s, 2, {u"Закрыть"_s}, 1);
        return;
    }
    ShowCalc(fDm);
}

void TfMain::grdExpDrawColumnCell(QPainter *painter, const QRect &rect, int /*column*/, store::Field &field,
                                  bool /*selected*/)
{
    if (field.fieldName().compare(u"CCHK", Qt::CaseInsensitive) != 0)
        return;
    QRect box = rect;
    widgets::InflateRect(box, -1, -1);
    // The grid made the drawn row the active record.
    const bool checked = fDm.Exp.fieldByName(u"CHK").asBoolean();
    painter->fillRect(rect, painter->brush());
    unsigned state = widgets::DFCS_BUTTONCHECK | widgets::DFCS_ADJUSTRECT;
    if (checked)
        state |= widgets::DFCS_CHECKED;
    widgets::DrawFrameControl(painter, box, widgets::DFC_BUTTON, state, grdExp);
}

void TfMain::FormClose()
{
    if (fClosed)
        return;
    fClosed = true;
    ++fCloseDbCalls;
    if (!fDm.CloseDB()) {
        // A file that could not be written must not go unnoticed; the
        // previous file on disk is still whole.
        MsgError(QString(), fDm.lastError());
    }
}

void TfMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TfMain::keyPressEvent(QKeyEvent *event)
{
    // The system's close key, where no window manager takes it first.
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TfMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !fActivated) {
        fActivated = true;
        // Some window systems tell the frame's size only once the window is up.
        if (frameGeometry().size() != QSize(1024, 768))
            PlaceWindow();
        // The first control in tab order takes the focus on first activation.
        grdEmp->setFocus(Qt::ActiveWindowFocusReason);
    }
}
