#include "store/uDM.h"

#include "core/serviceLength.h"
#include "platform/clock.h"
#include "platform/locale.h"

#include <QLockFile>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace store {

namespace {

FieldDef Def(const QString &name, FieldType type, int size = 0)
{
    FieldDef def;
    def.name = name;
    def.type = type;
    def.size = size;
    return def;
}

FieldDef Calc(const QString &name, int size)
{
    FieldDef def = Def(name, FieldType::String, size);
    def.calculated = true;
    return def;
}

// The first character of a name part, or nothing when the part is blank.
QString Initial(const Field &f)
{
    const QString text = f.asString();
    // Blank means nothing above U+0020: a no-break space is a character here.
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x20; }))
        return {};
    return u" "_s + text.front() + u"."_s;
}

} // namespace

Tdm::Tdm()
    : Emp(u"Emp"_s)
    , Exp(u"Exp"_s)
    , Tmp(u"Tmp"_s)
    , DS_EMP(Emp)
    , DS_EXP(Exp)
{
    FieldDef empId = Def(u"ID"_s, FieldType::AutoInc);
    empId.readOnlyAttr = true;
    Emp.addField(empId);
    Emp.addField(Def(u"FName"_s, FieldType::String, 50));
    Emp.addField(Def(u"LName"_s, FieldType::String, 50));
    Emp.addField(Def(u"MName"_s, FieldType::String, 50));
    Emp.addField(Calc(u"FIO"_s, 50));
    Emp.addIndexDef({ u"FIO"_s, u"LNAME;FNAME;MNAME;"_s });
    Emp.setOnCalcFields([this](Table &t) { EmpCalcFields(t); });
    Emp.setAfterScroll([this](Table &t) { EmpAfterScroll(t); });

    FieldDef expId = empId;
    expId.readOnly = true;
    Exp.addField(expId);
    Exp.addField(Def(u"Emp_ID"_s, FieldType::Integer));
    Exp.addField(Def(u"PLACE"_s, FieldType::String, 100));
    Exp.addField(Def(u"DATEBEG"_s, FieldType::Date));
    Exp.addField(Def(u"DATEEND"_s, FieldType::Date));
    for (const QString &flag : { u"TST"_s, u"NST"_s, u"STS"_s, u"CHK"_s })
        Exp.addField(Def(flag, FieldType::Boolean));
    Exp.addField(Calc(u"CTST"_s, 2));
    Exp.addField(Calc(u"CNST"_s, 2));
    Exp.addField(Calc(u"CSTS"_s, 2));
    Exp.addField(Calc(u"CCHK"_s, 1));
    Exp.addIndexDef({ u"EMP_ID"_s, u"EMP_ID;DATEBEG;"_s });
    Exp.setOnCalcFields([this](Table &t) { ExpCalcFields(t); });
}

Tdm::~Tdm() = default;

void Tdm::EmpCalcFields(Table &dataSet)
{
    QString fio = dataSet.fieldByName(u"LNAME").asString();
    fio += Initial(dataSet.fieldByName(u"FNAME"));
    fio += Initial(dataSet.fieldByName(u"MNAME"));
    dataSet.fieldByName(u"FIO").setAsString(fio);
}

void Tdm::ExpCalcFields(Table &dataSet)
{
    static const std::pair<QStringView, QStringView> pairs[] = {
        { u"TST", u"CTST" },
        { u"NST", u"CNST" },
        { u"STS", u"CSTS" },
    };
    for (const auto &[flag, text] : pairs) {
        const Field &f = dataSet.fieldByName(flag);
        dataSet.fieldByName(text).setAsString(!f.isNull() && f.asBoolean() ? u"Да"_s : QString());
    }
}

void Tdm::EmpDel()
{
    if (Emp.fieldByName(u"ID").isNull())
        return;
    Field &expId = Exp.fieldByName(u"ID");
    while (!expId.isNull()) {
        Exp.del();
        Exp.first();
    }
    Emp.del();
}

void Tdm::EmpAfterScroll(Table &)
{
    if (fOutItog)
        fOutItog();
}

void Tdm::ClearItog(TExpItog &itog) const
{
    itog.TST.clear();
    itog.STS.clear();
    itog.NST.clear();
}

TExpItog Tdm::ExpItog(double vdt)
{
    TExpItog itog;
    ClearItog(itog);
    Field &id = Exp.fieldByName(u"ID");
    if (id.isNull())
        return itog;
    const qint32 refDay = vdt != 0 ? platform::WholeDay(vdt) : platform::Today();
    const QVariant currentId = id.value();

    // The walk moves the current row; the period list must not follow it.
    Exp.disableControls();
    struct Resume {
        Tdm &dm;
        const QVariant &id;
        ~Resume()
        {
            try {
                dm.Exp.locate(u"ID", id);
            } catch (...) {
            }
            dm.Exp.enableControls();
        }
    } resume { *this, currentId };

    try {
        Field &chk = Exp.fieldByName(u"CHK");
        Field &dateBeg = Exp.fieldByName(u"DATEBEG");
        Field &dateEnd = Exp.fieldByName(u"DATEEND");
        Field &tst = Exp.fieldByName(u"TST");
        Field &sts = Exp.fieldByName(u"STS");
        Field &nst = Exp.fieldByName(u"NST");
        Exp.first();
        const auto rows = size_t(Exp.recordCount());
        std::vector<core::TRExp> listTst, listSts, listNst;
        listTst.reserve(rows);
        listSts.reserve(rows);
        listNst.reserve(rows);
        for (; !Exp.eof(); Exp.next()) {
            if (!chk.asBoolean())
                continue;
            const core::TRExp period { platform::WholeDay(dateBeg.asDateTime()),
                                       dateEnd.isNull()
                                           ? refDay
                                           : std::min(platform::WholeDay(dateEnd.asDateTime()), refDay) };
            if (tst.asBoolean())
                listTst.push_back(period);
            if (sts.asBoolean())
                listSts.push_back(period);
            if (nst.asBoolean())
                listNst.push_back(period);
        }
        itog.TST = QString::fromStdString(core::SumPeriods(listTst));
        itog.STS = QString::fromStdString(core::SumPeriods(listSts));
        itog.NST = QString::fromStdString(core::SumPeriods(listNst));
    } catch (...) {
        // A failed calculation shows no result rather than a partial one.
        ClearItog(itog);
    }
    return itog;
}

void Tdm::pOutItog(double dt, TextPane &meExp)
{
    meExp.clear();
    meExp.addLine(u"Итоги по стажу на "_s
                  + platform::FormatShortDate(platform::DateFromDay(platform::WholeDay(dt))));
    if (Emp.fieldByName(u"ID").isNull())
        return;
    meExp.addLine(Emp.fieldByName(u"LName").asString() + u" "_s + Emp.fieldByName(u"FName").asString() + u" "_s
                  + Emp.fieldByName(u"MName").asString());
    const TExpItog itog = ExpItog(dt);
    meExp.addLine(u"Итого:"_s);
    meExp.addLine(u"  Трудовой, общий стаж - "_s + itog.TST);
    meExp.addLine(u"  Страховой, дающий право на льготы стаж - "_s + itog.STS);
    meExp.addLine(u"  Непрерывный стаж - "_s + itog.NST);
}

QString Tdm::WrYears(qint32 n) const
{
    return QString::fromStdString(core::WrYears(n));
}

QString Tdm::WrMonths(qint32 n) const
{
    return QString::fromStdString(core::WrMonths(n));
}

QString Tdm::WrDays(qint32 n) const
{
    return QString::fromStdString(core::WrDays(n));
}

} // namespace store
