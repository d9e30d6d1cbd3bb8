#include "Calc.h"

#include "platform/clock.h"
#include "store/uDM.h"
#include "widgets/datePicker.h"
#include "widgets/memoPane.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize { 678, 394 };
constexpr QSize kOuterSize { 700, 435 };

QWidget *Panel(QWidget *parent, int height)
{
    auto *panel = new QWidget(parent);
    panel->setFixedHeight(height);
    return panel;
}

} // namespace

TfCalc::TfCalc(store::Tdm &dm, QWidget *parent)
    : TModalForm(parent)
    , fDm(dm)
{
    setWindowTitle(u"Расчёт на дату"_s);
    resize(kClientSize);

    pnlHead = Panel(this, 51);
    meExp = new widgets::TMemo(this);
    pnlFooter = Panel(this, 41);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlHead);
    layout->addWidget(meExp, 1);
    layout->addWidget(pnlFooter);
    // Lay the panels out now, so the footer's button is anchored against
    // the footer's real width.
    layout->setGeometry(QRect(QPoint(), kClientSize));

    btnClose = new QPushButton(u"Закрыть"_s, pnlFooter);
    btnClose->setGeometry(595, 8, 75, 25);
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, [this] { done(mrCancel); });
    anchorRightBottom(btnClose);

    Label1 = new QLabel(u"Укажите дату расчёта:"_s, pnlHead);
    Label1->setFont(ControlFont());
    Label1->move(13, 16);
    Label1->adjustSize();
    dtpDATE = new widgets::TDateTimePicker(pnlHead);
    dtpDATE->setFont(ControlFont());
    dtpDATE->setGeometry(154, 11, 111, 24);
    btnCalc = new QPushButton(pnlHead);
    btnCalc->setGeometry(269, 10, 100, 25);
    btnCalc->setAutoDefault(false);

    meExp->setFocusPolicy(Qt::ClickFocus);
    meExp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meExp->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    acCalc = new QAction(u"Рассчитать"_s, this);
    acCalc->setToolTip(u"Расчитать стаж на укзанную дату"_s);
    acCalc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    acCalc->setShortcutContext(Qt::WindowShortcut);
    addAction(acCalc);
    alMain.append(acCalc);
    connect(acCalc, &QAction::triggered, this, &TfCalc::acCalcExecute);
    btnCalc->setText(acCalc->text());
    btnCalc->setToolTip(acCalc->toolTip());
    connect(btnCalc, &QPushButton::clicked, acCalc, &QAction::trigger);

    connect(dtpDATE, &widgets::TDateTimePicker::changed, this, &TfCalc::dtpDATEChange);
    connect(dtpDATE, &widgets::TDateTimePicker::closeUp, this, &TfCalc::dtpDATECloseUp);

    setTabOrder(dtpDATE, btnCalc);
    setTabOrder(btnCalc, btnClose);
}

void TfCalc::prCalc()
{
    fDm.pOutItog(dtpDATE->dateTime(), *meExp);
}

void TfCalc::FormShow()
{
    setOuterSize(kOuterSize);
    dtpDATE->setFocus();
}

void TfCalc::acCalcExecute()
{
    prCalc();
}

void TfCalc::dtpDATEChange()
{
    prCalc();
}

void TfCalc::dtpDATECloseUp()
{
    prCalc();
}

void ShowCalc(store::Tdm &dm)
{
    auto calc = std::make_unique<TfCalc>(dm);
    calc->dtpDATE->setDateTime(platform::Now());
    calc->prCalc();
    calc->ShowModal();
}
