#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string_view>

class QPlainTextEdit;
class QPushButton;
class QUrl;
class QWidget;

// Address of the author's support page, opened by "Поддержать разработчика".
inline constexpr std::u16string_view kSupportPageUrl = u"https://tarvik.example.org/support";

// The help text of the about window, one entry per line, in display order.
inline constexpr std::array<std::u16string_view, 44> HelpLines {
    u"",
    u"1. О программке.",
    u"    1.1\tПрограммка бесплатная.",
    u"    1.2\tЕё использование, не как и не чем не ограничивается.",
    u"    1.3\tПрограммка предоставляется как есть.",
    u"    1.4\tРазработчик не несет ответственности за любые прямые либо косвенные убытки,",
    u"        ",
    u"    1.5\tРазработчик имеет право без предупреждения и согласования, на своё личное усмотрение ",
    u"        вносить любые изменения в программку.",
    u"",
    u"2. Порядок расчёта стажа.",
    u"    2.1\tПри вводе периода можно указать в каком стаже, трудовом, страховом, непрерывном его "
    u"учитывать.",
    u"        Можно учитывать в нескольких или во всех сразу.",
    u"    2.2\tЕсли два или более периода перекрываются частично или полностью, и они учитываются в стаже,",
    u"        то в таком случае они учитываются как один «общий, непрерывный» период по «крайним»  датам.",
    u"        В указанном случае, не зависимо от количества периодов, «день увольнения» прибавляется только "
    u"один.",
    u"    2.3\tДля получения более точных результатов, применяется  механизм расчета, при котором",
    u"        количество полностью отработанных месяцев и лет не переводиться в дни:",
    u"        2.3.1 Начинаем с подсчета количества лет, месяцев и дней в каждом периоде, входящем в "
    u"страховой "
    u"стаж.",
    u"        2.3.2 Отдельно суммируем число проработанных лет, месяцев и дней.",
    u"        2.3.3 Если количество дней будет больше или равно 30, его следует поделить на 30.",
    u"              При этом целая часть полученного частного будет количеством полных месяцев,",
    u"              которое необходимо прибавить к посчитанному ранее значению.",
    u"        2.3.4 Если сумма  окажется больше или равна 12, количество проработанных месяцев",
    u"              нужно будет поделить на 12.",
    u"              В данном случае целая часть полученного частного покажет количество полных лет,",
    u"              на которое нужно увеличить изначально определенное число лет стажа.",
    u"",
    u"3. Горячие клавиши.",
    u"    3.1 Добавить запись – Ins",
    u"    3.2 Удалить запись - Ctrl+Del",
    u"    3.3 Редактировать запись - Ctrl+Enter",
    u"    3.4 Рассчитать стаж на дату – Ctrl+R",
    u"    3.5 Поиск работника - Ctrl+F",
    u"    3.6 Сведения о программе, краткая помощь  - F1",
    u"    3.7 Выход из программы - Alt+X",
    u"    3.8 Переход между полями ввода  - Tab, реверс - Shift+Tab",
    u"    3.9 Закрыть окно, отменить ввод – Esc",
    u"    3.10 Подтвердить ввод, закрыть окно - Enter",
    u"    3.11 Выбрать, отметить запись стажа - Space (Пробел)",
    u"    3.12 Выбрать все записи стажа - Ctrl+A",
    u"    3.13 Отменить выбор всех записей стажа - Alt+A",
    u"",
    u"Приятного использования!",
};

// The about and help window: the help text, "Закрыть" and a button that
// opens the support page in the user's browser.
class TfAbout : public QDialog {
    Q_OBJECT

public:
    // Opens a web address; returns whether it was handed over.
    using UrlOpener = std::function<bool(const QUrl &)>;

    explicit TfAbout(QWidget *parent = nullptr);

    // Fills the pane with the help text.
    void Load();

    QPlainTextEdit *helpPane() const { return meExp; }
    QWidget *footer() const { return pnlFooter; }
    QPushButton *closeButton() const { return btnClose; }
    QPushButton *donateButton() const { return btnDonat; }

    // Replaces the way the support page is opened (tests use it so that no
    // browser starts); an empty function restores the desktop's. Returns the
    // opener it replaces.
    static UrlOpener setUrlOpener(UrlOpener opener);

    // "Закрыть", Esc and the close box end with Cancel (2), as every other
    // window of the program does.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormShow();
    void btnDonatClick();
    void ArrangeFooter();

    QPlainTextEdit *meExp = nullptr;
    QWidget *pnlFooter = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnDonat = nullptr;
};

// Shows the about window modally over the main window.
void ShowAbout();
