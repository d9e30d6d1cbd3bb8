#include "About.h"

#include "dialogs/placement.h"

#include <QDesktopServices>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kDesignClientSize { 535, 366 };
constexpr QSize kShownOuterSize { 950, 700 };
constexpr int kFooterHeight = 41;
constexpr int kButtonTop = 9;
// Distances of the buttons' right edges from the window's right edge, kept on resizing.
constexpr int kCloseRightGap = 11;
constexpr int kDonatRightGap = 92;
constexpr QSize kCloseSize { 75, 25 };
constexpr QSize kDonatSize { 187, 25 };

TfAbout::UrlOpener &Opener()
{
    static TfAbout::UrlOpener opener;
    return opener;
}

QFont WindowFont()
{
    QFont font(u"Tahoma"_s, 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont HelpFont()
{
    QFont font;
    font.setFamilies({ u"Courier New"_s, u"Liberation Mono"_s });
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    return font;
}

} // namespace

TfAbout::TfAbout(QWidget *parent)
    : QDialog(parent, kFixedDialogFlags)
{
    setWindowTitle(u"О програмке, краткая помощь"_s);
    setFont(WindowFont());

    meExp = new QPlainTextEdit(this);
    pnlFooter = new QWidget(this);
    btnClose = new QPushButton(u"Закрыть"_s, pnlFooter);
    btnDonat = new QPushButton(u"Поддержать разработчика"_s, pnlFooter);

    meExp->setFont(HelpFont());
    meExp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meExp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Reachable by mouse only; it is a reading pane, nothing typed is kept.
    meExp->setFocusPolicy(Qt::ClickFocus);
    meExp->setTabStopDistance(8 * QFontMetricsF(meExp->font()).horizontalAdvance(u' '));

    btnClose->setToolTip(u"Закрыть"_s);
    btnClose->resize(kCloseSize);
    btnClose->setAutoDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    btnDonat->setToolTip(u"Поддержать разработчика"_s);
    btnDonat->resize(kDonatSize);
    QFont linkFont = WindowFont();
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    btnDonat->setFont(linkFont);
    QPalette linkPalette = btnDonat->palette();
    linkPalette.setColor(QPalette::ButtonText, linkPalette.color(QPalette::Link));
    btnDonat->setPalette(linkPalette);
    // Enter with the initial focus supports the author rather than closing the window.
    btnDonat->setAutoDefault(true);
    btnDonat->setDefault(true);
    connect(btnDonat, &QPushButton::clicked, this, &TfAbout::btnDonatClick);

    QWidget::setTabOrder(btnClose, btnDonat);

    setFixedSize(kDesignClientSize);
    ArrangeFooter();
}

void TfAbout::reject()
{
    done(2);
}

void TfAbout::Load()
{
    meExp->clear();
    QStringList lines;
    lines.reserve(qsizetype(HelpLines.size()));
    for (std::u16string_view line : HelpLines)
        lines.append(QString::fromUtf16(line.data(), qsizetype(line.size())));
    // One piece of text: appending line by line would swallow the leading empty line.
    meExp->setPlainText(lines.join(u'\n'));
}

TfAbout::UrlOpener TfAbout::setUrlOpener(UrlOpener opener)
{
    return std::exchange(Opener(), std::move(opener));
}

void TfAbout::FormShow()
{
    // The outer size includes the frame; grow around the centre the window was placed at.
    const QMargins frame = FrameMargins(this);
    const QPoint centre = geometry().marginsAdded(frame).center();
    setFixedSize(kShownOuterSize.shrunkBy(frame));
    QRect placed = geometry().marginsAdded(frame);
    placed.moveCenter(centre);
    setGeometry(placed.marginsRemoved(frame));
    btnDonat->setFocus();
}

void TfAbout::btnDonatClick()
{
    const QUrl url(QString::fromUtf16(kSupportPageUrl.data(), qsizetype(kSupportPageUrl.size())));
    // Whether a browser starts is not reported; the window stays open either way.
    if (Opener())
        Opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void TfAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfAbout::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    ArrangeFooter();
}

void TfAbout::ArrangeFooter()
{
    const int w = width();
    meExp->setGeometry(0, 0, w, height() - kFooterHeight);
    pnlFooter->setGeometry(0, height() - kFooterHeight, w, kFooterHeight);
    btnClose->move(w - kCloseRightGap - btnClose->width(), kButtonTop);
    btnDonat->move(w - kDonatRightGap - btnDonat->width(), kButtonTop);
}

void ShowAbout()
{
    QWidget *owner = FindMainWindow();
    QPointer<TfAbout> about = new TfAbout(owner);
    about->Load();
    CentreOver(about, owner);
    about->exec();
    delete about;
}
