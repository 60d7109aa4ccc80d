#include "manager/project_form.h"

#include "common/roster_rules.h"
#include "db/date_text.h"

namespace manager {

namespace {

QStringList numbered(int from, int to, const QString& unit) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i) + unit;
    return items;
}

ComboRule choiceRule(const char16_t* control, const char16_t* label, const char16_t* column,
                     QVector<Choice> choices, Choice other, QStringList items,
                     const QString& designText = {}) {
    ComboRule r{QString::fromUtf16(control),
                QString::fromUtf16(label),
                QString::fromUtf16(column),
                std::move(choices),
                std::move(other),
                QString(),
                std::move(items),
                designText};
    if (r.designText.isEmpty())
        r.designText = r.items.front();
    return r;
}

// A choice stored as the value of one of the settings' enums.
template <typename Enum> Choice choice(Enum value, const QString& text) {
    return {static_cast<int>(value), text};
}

Colour split(const QString& text, ColourKind kind) {
    const QStringList parts = text.split(QLatin1Char(','));
    Colour c;
    for (int i = 0; i < 3; ++i)
        c[i] = i < parts.size() ? parts[i] : defaultColourComponent(kind, i);
    return c;
}

QString joined(const Colour& c) {
    return c[0] + QLatin1Char(',') + c[1] + QLatin1Char(',') + c[2];
}

} // namespace

const QVector<TextRule>& projectTexts() {
    static const QVector<TextRule> rules = {
        {QStringLiteral("Txt考试名称"), QStringLiteral("考试名称:"), QStringLiteral("考试名称")},
        {QStringLiteral("Txt考点名称"), QStringLiteral("考点名称:"), QStringLiteral("考点名称")},
        {QStringLiteral("Txt考点地点"), QStringLiteral("考点地点:"), QStringLiteral("考点地点")},
        {QStringLiteral("Txt负责人"), QStringLiteral("负责人:"), QStringLiteral("负责人")},
        {QStringLiteral("Txt联系电话"), QStringLiteral("联系电话:"), QStringLiteral("联系电话")},
    };
    return rules;
}

const QVector<ComboRule>& projectCombos() {
    using common::DrawMode, common::DutyDraw, common::RuleState;
    static const QVector<ComboRule> rules = [] {
        const QString allow = QStringLiteral("允许"), deny = QStringLiteral("不允许"),
                      open = QStringLiteral("不限制");
        const QString independent = QStringLiteral("甲乙独立抽签"), onlyB = QStringLiteral("仅抽乙不动甲"),
                      onlyA = QStringLiteral("仅抽甲不动乙");
        const QString fewerGender = QStringLiteral("减少同性别搭档"),
                      fewerUnit = QStringLiteral("减少同单位搭档");
        const QString fixedRules = QStringLiteral("不允许抽签时修改");
        const QString noDuty = QStringLiteral("不抽签"), bothDuties = QStringLiteral("同步抽签"),
                      outsideOnly = QStringLiteral("只抽场外监考"), checkersOnly = QStringLiteral("只抽验卷");
        QVector<ComboRule> r;
        r << choiceRule(u"Cmb抽签模式", u"抽签规则:", u"抽签模式",
                        {choice(DrawMode::Independent, independent), choice(DrawMode::OnlyB, onlyB)},
                        choice(DrawMode::OnlyA, onlyA), {independent, onlyB, onlyA});
        r << choiceRule(u"Cmb重回考室", u"重回考室:", u"允许重回原考室", {choice(RuleState::Off, deny)},
                        choice(RuleState::On, allow), {deny, allow});
        r << choiceRule(u"Cmb再搭档", u"甲乙再搭档:", u"允许甲乙再搭档", {choice(RuleState::Off, deny)},
                        choice(RuleState::On, allow), {deny, allow});
        r << choiceRule(u"Cmb性别搭档", u"性别搭档:", u"最大性别组合", {choice(RuleState::Off, open)},
                        choice(RuleState::On, fewerGender), {fewerGender, open});
        r << choiceRule(u"Cmb异校搭档", u"同校搭档:", u"最大异校搭档", {choice(RuleState::Off, open)},
                        choice(RuleState::On, fewerUnit), {fewerUnit, open});
        // A yes/no column: no enum, and any stored value but 0 reads as yes.
        r << choiceRule(u"Cmb修改参数", u"允许改参数:", u"允许抽签时修改参数", {{1, allow}}, {0, fixedRules},
                        {allow, fixedRules});
        r << choiceRule(u"Cmb抽场外", u"场外与验卷:", u"场外与验卷抽签",
                        {choice(DutyDraw::None, noDuty), choice(DutyDraw::Both, bothDuties),
                         choice(DutyDraw::OutsideOnly, outsideOnly)},
                        choice(DutyDraw::CheckersOnly, checkersOnly),
                        {noDuty, bothDuties, outsideOnly, checkersOnly}, bothDuties);
        r << ComboRule{QStringLiteral("Cmb考场号位"),
                       QStringLiteral("考场号位数:"),
                       QStringLiteral("考场号位数"),
                       {},
                       {},
                       QStringLiteral("位"),
                       numbered(2, 5, QStringLiteral("位")),
                       QStringLiteral("3位")};
        r << ComboRule{QStringLiteral("Cmb报表行"),
                       QStringLiteral("报表行数:"),
                       QStringLiteral("默认行1"),
                       {},
                       {},
                       QStringLiteral("行"),
                       numbered(15, 40, QStringLiteral("行")),
                       QStringLiteral("25行")};
        return r;
    }();
    return rules;
}

QString shownValue(const ComboRule& rule, const QVariant& column) {
    if (!rule.unit.isEmpty())
        return (column.isNull() ? QString() : column.toString()) + rule.unit;
    bool ok = false;
    const int value = column.isNull() ? 0 : static_cast<int>(column.toString().trimmed().toDouble(&ok));
    for (const Choice& c : rule.choices) {
        if (c.value == value)
            return c.text;
    }
    return rule.other.text;
}

bool isListedNumber(const ComboRule& rule, const QString& text) {
    const QString typed = text.trimmed();
    return !typed.isEmpty() && (rule.items.contains(typed) || rule.items.contains(typed + rule.unit));
}

QVariant storedValue(const ComboRule& rule, const QString& text) {
    if (!rule.unit.isEmpty())
        return QString(text).remove(rule.unit).trimmed().toInt();
    for (const Choice& c : rule.choices) {
        if (c.text == text)
            return c.value;
    }
    return rule.other.value;
}

ProjectForm shownProject(const db::Row& row, common::RunState& state) {
    ProjectForm form;
    for (const TextRule& t : projectTexts())
        form.values[t.control] = db::text(row, t.column);
    for (const ComboRule& c : projectCombos())
        form.values[c.control] = shownValue(c, row.value(c.column));
    // A project without colours is drawn in the defaults, so it shows them here too, never
    // the colours of the project shown before it (which 修改 would then store into it).
    state.project.textColour = db::text(row, QStringLiteral("文字色"));
    state.project.backColour = db::text(row, QStringLiteral("底色"));
    if (state.project.textColour.isEmpty())
        state.project.textColour = common::ProjectSettings::kDefaultTextColour;
    if (state.project.backColour.isEmpty())
        state.project.backColour = common::ProjectSettings::kDefaultBackColour;
    form.text = split(state.project.textColour, ColourKind::Text);
    form.background = split(state.project.backColour, ColourKind::Background);
    return form;
}

ProjectForm plainProject(const ProjectForm& form, QStringList& warnings) {
    ProjectForm out = form;
    for (const TextRule& t : projectTexts()) {
        if (t.column != QStringLiteral("联系电话"))
            out.values[t.control] = plainField(form.values.value(t.control), t.column, warnings);
    }
    return out;
}

std::optional<FieldError> checkProject(const ProjectForm& form) {
    for (const char16_t* column : {u"考试名称", u"考点名称"}) {
        const QString name = QString::fromUtf16(column);
        const QString control = QStringLiteral("Txt") + name;
        const QString text = form.values.value(control);
        if (text.isEmpty())
            return FieldError{name + QStringLiteral("为必填项目！"), control};
        if (common::characterCount(text) > common::kMaxTitleLength)
            return FieldError{common::tooLongText(name, common::kMaxTitleLength), control};
    }
    for (const ComboRule& c : projectCombos()) {
        if (!c.unit.isEmpty() && !isListedNumber(c, form.values.value(c.control)))
            return FieldError{QString(c.label).remove(QLatin1Char(':')) + QStringLiteral("请在列表中选择！"),
                              c.control};
    }
    return std::nullopt;
}

Fields storedProject(const ProjectForm& form) {
    Fields f;
    for (const TextRule& t : projectTexts())
        f.push_back({t.column, form.values.value(t.control)});
    for (const ComboRule& c : projectCombos())
        f.push_back({c.column, storedValue(c, form.values.value(c.control))});
    f.push_back({QStringLiteral("文字色"), joined(form.text)});
    f.push_back({QStringLiteral("底色"), joined(form.background)});
    return f;
}

Fields newProject(const ProjectForm& form, int settingsId, const QDateTime& now) {
    Fields f = storedProject(form);
    f.push_back({QStringLiteral("分屏显示"), 1});
    f.push_back({QStringLiteral("状态"), QStringLiteral("正常")});
    f.push_back({QStringLiteral("创建时间"), db::toDateText(now)});
    f.push_back({QStringLiteral("单位代码"), settingsId});
    return f;
}

bool validColourComponent(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= 0 && v <= 255;
}

QString defaultColourComponent(ColourKind kind, int index) {
    if (kind == ColourKind::Text)
        return QStringLiteral("0");
    return index == 2 ? QStringLiteral("0") : QStringLiteral("255");
}

int colourComponent(const Colour& colour, ColourKind kind, int index) {
    const QString& t = colour[index];
    return validColourComponent(t) ? t.trimmed().toInt() : defaultColourComponent(kind, index).toInt();
}

SourceDefinition projectDefinition() {
    SourceDefinition d;
    d.table = d.from = QStringLiteral("考点设置");
    d.order = QStringLiteral("编号");
    d.rowText = [](const db::Row& r, int) -> QString {
        return db::text(r, QStringLiteral("编号")) + QLatin1Char('.') +
               db::text(r, QStringLiteral("考试名称")) + QStringLiteral("\n   ") +
               db::text(r, QStringLiteral("考点名称"));
    };
    return d;
}

bool setCurrentProject(db::Database& db, common::RunState& state, int project) {
    db::Transaction t(db);
    const int changed = db.exec(QStringLiteral("update 系统设置 set 当前项目=? where 编号=? and 状态='正常'"),
                                {project, state.XTID});
    t.commit();
    if (changed == 0)
        return false;
    state.DQXM = project;
    return true;
}

QString currentProjectSetText(int project) {
    return QStringLiteral("已经将当前项目设置为 #") + QString::number(project);
}

} // namespace manager
