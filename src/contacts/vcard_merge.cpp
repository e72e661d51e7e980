#include "vcard_merge.h"

#include "vcard_syntax.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <limits>

using namespace VCardSyntax;

namespace {

enum class Form { V21, V3, V4 };

const QString kEmptyMark = QStringLiteral("---");

// A field's text as reading leaves it once more: on one line, cut, trimmed.
QString fieldForm(const QString& text, int length)
{
    return oneLine(oneLine(text).left(length));
}

// The mark "---" is the editor's word for nothing; a card says nothing by
// having no property. A scheme that reading strips is stripped here too.
QString valueForm(const QString& text, QLatin1String scheme = QLatin1String())
{
    QString value = oneLine(text);
    if (value == kEmptyMark)
        return QString();
    if (scheme.size() > 0 && value.startsWith(scheme, Qt::CaseInsensitive))
        value = value.mid(scheme.size());
    return fieldForm(value, Contacts::kFieldLength);
}

bool sameMoment(const QDateTime& one, const QDateTime& other)
{
    return one.date() == other.date() && one.time() == other.time();
}

bool hasBirthday(const Contact& form)
{
    return form.remind || !sameMoment(form.birthday, startingBirthday());
}

// The made-up year of X-APPLE-OMIT-YEAR, when the date can be written in it.
QByteArray omittedYearFor(const QByteArray& year, const QDate& date)
{
    bool ok = false;
    const int number = year.toInt(&ok);
    return ok && year.size() == 4 && QDate(number, date.month(), date.day()).isValid() ? year : QByteArray();
}

// Writes lines in the form of one version, with the line end the card uses.
class LineWriter
{
public:
    LineWriter(Form form, QByteArray lineEnd) : m_form(form), m_lineEnd(std::move(lineEnd)) {}

    Form form() const { return m_form; }
    VCard::Version version() const { return m_form == Form::V4 ? VCard::Version::V4 : VCard::Version::V3; }

    QString escape(const QString& text) const
    {
        if (m_form != Form::V21)
            return escapeText(text);
        // 2.1 knows no escaped comma.
        QString escaped = text;
        return escaped.replace(QLatin1Char(';'), QLatin1String("\\;"));
    }

    QByteArray line(QByteArray head, const QString& value) const
    {
        const QByteArray octets = value.toUtf8();
        const bool ascii = std::all_of(octets.begin(), octets.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (m_form == Form::V21 && !ascii)
            head += ";CHARSET=UTF-8";
        QByteArray out;
        appendFolded(out, head + ':' + octets, m_lineEnd);
        return out;
    }

    QByteArray phoneHead() const
    {
        return m_form == Form::V4 ? "TEL;VALUE=text;TYPE=voice" : "TEL;TYPE=VOICE";
    }
    QByteArray mailHead() const { return m_form == Form::V4 ? "EMAIL" : "EMAIL;TYPE=INTERNET"; }

    // N with the names of the contact; the "---" of a name left empty is no name.
    QString names(const Contact& form, QStringList rest) const
    {
        const auto part = [this](const QString& name) {
            return name == kEmptyMark ? QString() : escape(name);
        };
        QStringList parts = {part(form.surname), part(form.name), part(form.patronymic)};
        while (rest.size() < 2)
            rest.append(QString());
        return (parts + rest).join(QLatin1Char(';'));
    }

    // A year not known is written without one, or with the made-up year a
    // phone named in X-APPLE-OMIT-YEAR.
    QString birthday(const QDateTime& birthday, const QByteArray& omittedYear = {}) const
    {
        const QDate date = birthday.date();
        if (date.year() != kUnknownYear)
            return birthdayText(birthday, version());
        if (!omittedYearFor(omittedYear, date).isEmpty()) {
            const QDate madeUp(omittedYear.toInt(), date.month(), date.day());
            return birthdayText(QDateTime(madeUp, birthday.time()), version());
        }
        const QString text = birthdayText(birthday, version());
        return QStringLiteral("--") + text.mid(m_form == Form::V4 ? 4 : 5);
    }

private:
    Form m_form;
    QByteArray m_lineEnd;
};

// A server card taken apart, with where each field was read from.
struct ServerCard
{
    QByteArray bom;
    QByteArray bytes;
    RawCard raw;
    Sources sources;
    Contact contact;
    Form form = Form::V3;
    QByteArray lineEnd;
};

std::optional<ServerCard> parse(const QByteArray& input, QString* error)
{
    ServerCard card;
    card.bytes = input;
    if (card.bytes.startsWith("\xEF\xBB\xBF")) {
        card.bom = card.bytes.left(3);
        card.bytes = card.bytes.mid(3);
    }
    QString reason;
    QList<RawCard> raws;
    if (card.bytes.trimmed().isEmpty())
        reason = QStringLiteral("карточка пуста");
    else if (card.bytes.contains('\0'))
        reason = QStringLiteral("в карточке есть двоичные данные");
    else
        raws = splitCards(card.bytes);
    if (reason.isEmpty() && raws.isEmpty())
        reason = QStringLiteral("это не карточка vCard (нет BEGIN:VCARD)");
    else if (raws.size() > 1)
        reason = QStringLiteral("вместо одной карточки их %1").arg(raws.size());
    else if (raws.size() == 1 && !raws.first().broken.isEmpty())
        reason = raws.first().broken;
    if (reason.isEmpty()) {
        card.raw = raws.first();
        const CardReader reader(card.raw, isVersion21(card.raw));
        QString label;
        bool notText = false;
        if (const std::optional<Contact> contact = reader.read(&label, &reason, &notText, &card.sources))
            card.contact = *contact;
    }
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    for (const Property& property : std::as_const(card.raw.properties)) {
        if (property.name == "VERSION") {
            const QByteArray version = property.value.trimmed();
            card.form = version == "4.0" ? Form::V4 : version == "2.1" ? Form::V21 : Form::V3;
        }
    }
    const qsizetype newline = card.bytes.indexOf('\n');
    card.lineEnd = newline > 0 && card.bytes[newline - 1] != '\r' ? "\n" : "\r\n";
    return card;
}

struct Edit
{
    qsizetype start = 0;
    qsizetype end = 0;
    QByteArray bytes;
};

// Puts the fields of a contact into a server card, one field at a time,
// as edits of the card's octets.
class Merger
{
public:
    Merger(const ServerCard& card, const Contact& want)
        : m_card(card), m_props(card.raw.properties), m_src(card.sources), m_want(want),
          m_have(VCard::cardForm(card.contact)), m_writer(card.form, card.lineEnd)
    {
    }

    QByteArray merged()
    {
        names();
        phones();
        mail();
        icq();
        birthday();
        category();
        remind();
        comment(); // last: what it writes depends on the numbers and addresses that stay
        return m_card.bom + apply(m_edits);
    }

private:
    void names();
    void phones();
    void mail();
    void icq();
    void birthday();
    void category();
    void remind();
    void comment();

    QString text(int index) const
    {
        bool notText = false;
        return CardReader(m_card.raw, m_card.form == Form::V21)
            .text(m_props[index], &notText)
            .value_or(QString());
    }
    // The property's group, name and parameters, less those that described
    // the octets of the old value and those named in drop.
    QByteArray head(int index, const QList<QByteArray>& drop = {}) const
    {
        QList<QByteArray> segments = splitParams(m_props[index].head);
        QByteArray kept = segments.takeFirst();
        for (const QByteArray& segment : std::as_const(segments)) {
            const QByteArray name = paramName(segment);
            if (name != "ENCODING" && name != "CHARSET" && !drop.contains(name))
                kept += ';' + segment;
        }
        return kept;
    }
    int lastNamed(const QByteArray& name) const
    {
        for (int i = int(m_props.size()) - 1; i >= 0; --i)
            if (m_props[i].name == name)
                return i;
        return -1;
    }
    // After the last property of that name, so that reading meets it after
    // the others; else at the end of the card.
    qsizetype placeFor(const QByteArray& name) const
    {
        const int last = lastNamed(name);
        return last < 0 ? m_card.raw.endLine : m_props[last].end;
    }

    void replace(int index, const QByteArray& bytes)
    {
        m_edits.append({m_props[index].start, m_props[index].end, bytes});
    }
    void remove(int index) { m_edits += removal(index); }
    // A property in a group goes with the X- lines of its group: the label a
    // phone gave a number means nothing without it.
    QList<Edit> removal(int index)
    {
        QList<Edit> edits;
        const QByteArray group = groupOf(index);
        for (int other = 0; other < m_props.size(); ++other) {
            const QByteArray& name = m_props[other].name;
            const bool label = other != index && !group.isEmpty() && groupOf(other) == group &&
                               name.startsWith("X-") && name != "X-ICQ" && name != VCard::kRemindProperty;
            if ((other == index || label) && !m_removed.contains(other)) {
                m_removed.insert(other);
                edits.append({m_props[other].start, m_props[other].end, {}});
            }
        }
        return edits;
    }
    // The end of the property and of the lines of its group right after it.
    qsizetype endWithGroup(int index) const
    {
        const QByteArray group = groupOf(index);
        int last = index;
        while (!group.isEmpty() && last + 1 < m_props.size() && groupOf(last + 1) == group)
            ++last;
        return m_props[last].end;
    }
    QByteArray groupOf(int index) const
    {
        const QByteArray name = splitParams(m_props[index].head).first().trimmed().toUpper();
        const qsizetype dot = name.lastIndexOf('.');
        return dot < 0 ? QByteArray() : name.left(dot);
    }
    void insert(qsizetype at, const QByteArray& bytes) { m_edits.append({at, at, bytes}); }

    QByteArray apply(QList<Edit> edits) const
    {
        // Insertions at one place keep their order and come before a line replaced there.
        std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
            return a.start != b.start ? a.start < b.start : (a.end == a.start && b.end != b.start);
        });
        QByteArray out;
        out.reserve(m_card.bytes.size() + 256);
        qsizetype at = 0;
        for (const Edit& edit : edits) {
            out += m_card.bytes.mid(at, edit.start - at);
            out += edit.bytes;
            at = edit.end;
        }
        out += m_card.bytes.mid(at);
        return out;
    }

    QByteArray phoneLine(int index, const QString& phone) const;
    // The items of a CATEGORIES, still escaped, as they can stand on a line.
    QStringList categoryItems(int index) const
    {
        QStringList items;
        for (const QString& item : splitEscaped(text(index), QLatin1Char(',')))
            items.append(oneLine(item));
        return items;
    }

    const ServerCard& m_card;
    const QList<Property>& m_props;
    const Sources& m_src;
    const Contact& m_want;
    const Contact m_have;
    const LineWriter m_writer;
    QList<Edit> m_edits;
    QSet<int> m_removed;
};

void Merger::names()
{
    if (m_want.names() == m_have.names())
        return;
    QStringList rest; // the prefix and the suffix of the server's N, as they can stand on a line
    if (m_src.n >= 0)
        for (const QString& part : splitEscaped(text(m_src.n), QLatin1Char(';')).mid(3))
            rest.append(oneLine(part));
    const QString structured = m_writer.names(m_want, rest);
    if (m_src.n >= 0)
        replace(m_src.n, m_writer.line(head(m_src.n), structured));
    else
        insert(m_card.raw.endLine, m_writer.line("N", structured));
    const QString formatted = m_writer.escape(formattedName(m_want));
    if (m_src.fn >= 0)
        replace(m_src.fn, m_writer.line(head(m_src.fn), formatted));
    else
        insert(m_card.raw.endLine, m_writer.line("FN", formatted));
}

QByteArray Merger::phoneLine(int index, const QString& phone) const
{
    // A number written as a tel: URI stays one when it can be; else it is text.
    static const QRegularExpression kTelUri(QStringLiteral("^\\+?[0-9().-]+$"));
    const QByteArray value = m_props[index].value.trimmed();
    const bool uri = value.left(4).compare("tel:", Qt::CaseInsensitive) == 0;
    if (uri && kTelUri.match(phone).hasMatch())
        return m_writer.line(head(index), QString::fromLatin1(value.left(4)) + phone);
    if (uri || hasParam(m_props[index], "VALUE", "uri")) {
        const QByteArray text = m_writer.form() == Form::V4 ? ";VALUE=text" : "";
        return m_writer.line(head(index, {"VALUE"}) + text, m_writer.escape(phone));
    }
    return m_writer.line(head(index), m_writer.escape(phone));
}

void Merger::phones()
{
    if (m_want.phone1 == m_have.phone1 && m_want.phone2 == m_have.phone2)
        return;
    QStringList targets;
    for (const QString& phone : {m_want.phone1, m_want.phone2})
        if (!phone.isEmpty())
            targets.append(phone);
    const QList<int> lines = m_src.phones.mid(0, 2);
    QStringList values;
    for (const int index : lines)
        values.append(valueForm(unescape(text(index)), QLatin1String("tel:")));

    // Where each number goes, in the order reading must meet them: into one
    // of our lines in place (kept, or rewritten), or after those as a line
    // moved there or a new one. A line kept costs nothing, a line rewritten
    // or moved one, a line added or removed two: a number keeps its line and
    // its TYPE when it only changes fields.
    struct Place
    {
        int line = -1; // into lines; -1 for a new line
        bool moved = false;
    };
    QList<Place> best;
    int bestCost = std::numeric_limits<int>::max();
    QList<Place> chosen;
    const auto used = [&chosen](int line) {
        return std::any_of(chosen.begin(), chosen.end(), [line](const Place& p) { return p.line == line; });
    };
    const auto search = [&](const auto& self, int from, bool inPlace) -> void {
        if (chosen.size() == targets.size()) {
            int cost = 0;
            for (int k = 0; k < chosen.size(); ++k) {
                if (chosen[k].line < 0)
                    cost += 2;
                else
                    cost += chosen[k].moved || values[chosen[k].line] != targets[k] ? 1 : 0;
            }
            for (int line = 0; line < lines.size(); ++line)
                cost += used(line) ? 0 : 2;
            if (cost < bestCost) {
                bestCost = cost;
                best = chosen;
            }
            return;
        }
        const qsizetype k = chosen.size();
        for (int line = from; inPlace && line < lines.size(); ++line) {
            chosen.append({line, false});
            self(self, line + 1, true);
            chosen.removeLast();
        }
        for (int line = 0; line < lines.size(); ++line) {
            if (values[line] == targets[k] && !used(line)) {
                chosen.append({line, true});
                self(self, from, false);
                chosen.removeLast();
            }
        }
        chosen.append(Place());
        self(self, from, false);
        chosen.removeLast();
    };
    search(search, 0, true);

    qsizetype place = lines.isEmpty() ? placeFor("TEL") : m_props[lines.first()].start;
    for (int k = 0; k < targets.size(); ++k) {
        const Place& target = best[k];
        if (target.line < 0) {
            insert(place, m_writer.line(m_writer.phoneHead(), m_writer.escape(targets[k])));
        } else if (target.moved) {
            const Property& moved = m_props[lines[target.line]];
            insert(place, m_card.bytes.mid(moved.start, moved.end - moved.start));
            m_edits.append({moved.start, moved.end, {}});
        } else {
            if (values[target.line] != targets[k])
                replace(lines[target.line], phoneLine(lines[target.line], targets[k]));
            place = endWithGroup(lines[target.line]);
        }
    }
    for (int line = 0; line < lines.size(); ++line)
        if (std::none_of(best.begin(), best.end(), [line](const Place& p) { return p.line == line; }))
            remove(lines[line]);
}

void Merger::mail()
{
    if (m_want.mail == m_have.mail)
        return;
    const int index = m_src.mails.value(0, -1);
    if (m_want.mail.isEmpty()) {
        if (index >= 0)
            remove(index);
    } else if (index >= 0) {
        const QByteArray value = m_props[index].value.trimmed();
        if (value.left(7).compare("mailto:", Qt::CaseInsensitive) == 0)
            replace(index, m_writer.line(head(index), QString::fromLatin1(value.left(7)) + m_want.mail));
        else
            replace(index, m_writer.line(head(index), m_writer.escape(m_want.mail)));
    } else {
        insert(placeFor("EMAIL"), m_writer.line(m_writer.mailHead(), m_writer.escape(m_want.mail)));
    }
}

void Merger::icq()
{
    if (m_want.icq == m_have.icq)
        return;
    if (m_want.icq.isEmpty()) {
        for (const int index : m_src.icqs)
            remove(index);
        return;
    }
    bool xIcq = false;
    bool impp = false;
    for (const int index : m_src.icqs) {
        if (m_props[index].name == "X-ICQ" && !xIcq) {
            xIcq = true;
            replace(index, m_writer.line(head(index), m_writer.escape(m_want.icq)));
        } else if (m_props[index].name == "IMPP" && !impp) {
            impp = true;
            const QByteArray value = m_props[index].value.trimmed();
            const QByteArray scheme = value.left(value.indexOf(':') + 1);
            replace(index, m_writer.line(head(index), QString::fromLatin1(scheme) + m_want.icq));
        }
    }
    if (!xIcq && !impp) {
        insert(m_card.raw.endLine, m_writer.line("IMPP", QStringLiteral("icq:") + m_want.icq));
        if (m_writer.form() != Form::V4)
            insert(m_card.raw.endLine, m_writer.line("X-ICQ", m_writer.escape(m_want.icq)));
    }
}

void Merger::birthday()
{
    if (!hasBirthday(m_want)) {
        if (hasBirthday(m_have))
            for (const int index : m_src.birthdays)
                remove(index);
        return;
    }
    // A line that reads as our date stays, in whatever form the server wrote it.
    if (m_src.birthday >= 0 && sameMoment(m_card.contact.birthday, m_want.birthday))
        return;
    const int index =
        m_src.birthday >= 0 ? m_src.birthday : (m_src.birthdays.isEmpty() ? -1 : m_src.birthdays.last());
    if (index < 0) {
        insert(m_card.raw.endLine, m_writer.line("BDAY", m_writer.birthday(m_want.birthday)));
        return;
    }
    const Property& old = m_props[index];
    const QDate date = m_want.birthday.date();
    const QByteArray omittedYear = date.year() == kUnknownYear
                                       ? omittedYearFor(old.params.value("X-APPLE-OMIT-YEAR"), date)
                                       : QByteArray();
    QList<QByteArray> drop;
    if (omittedYear.isEmpty())
        drop.append("X-APPLE-OMIT-YEAR");
    if (hasParam(old, "VALUE", "text") || m_want.birthday.time() != QTime(0, 0))
        drop.append("VALUE");
    replace(index, m_writer.line(head(index, drop), m_writer.birthday(m_want.birthday, omittedYear)));
}

void Merger::category()
{
    if (m_want.category == m_have.category)
        return;
    const QStringList& ours = Contacts::categories();
    const auto isOurs = [&ours](const QString& item) { return ours.contains(oneLine(unescape(item))); };
    if (m_want.category == 0) {
        for (int index = 0; index < m_props.size(); ++index) {
            if (m_props[index].name != "CATEGORIES")
                continue;
            const QStringList items = categoryItems(index);
            QStringList kept;
            for (const QString& item : items)
                if (!isOurs(item))
                    kept.append(item);
            if (kept.size() == items.size())
                continue;
            if (kept.join(QString()).trimmed().isEmpty())
                remove(index);
            else
                replace(index, m_writer.line(head(index), kept.join(QLatin1Char(','))));
        }
        return;
    }
    const QString mine = ours.at(m_want.category - 1);
    if (m_src.categories >= 0) {
        QStringList items = categoryItems(m_src.categories);
        bool elsewhere = false;
        for (int item = 0; item < items.size(); ++item)
            elsewhere = elsewhere || (item != m_src.categoryItem && oneLine(unescape(items[item])) == mine);
        if (elsewhere)
            items.removeAt(m_src.categoryItem);
        else
            items[m_src.categoryItem] = m_writer.escape(mine);
        replace(m_src.categories, m_writer.line(head(m_src.categories), items.join(QLatin1Char(','))));
        return;
    }
    for (int index = 0; index < m_props.size(); ++index) {
        if (m_props[index].name == "CATEGORIES") {
            QStringList items = categoryItems(index);
            if (items.join(QString()).isEmpty())
                items.clear();
            items.append(m_writer.escape(mine));
            replace(index, m_writer.line(head(index), items.join(QLatin1Char(','))));
            return;
        }
    }
    insert(m_card.raw.endLine, m_writer.line("CATEGORIES", m_writer.escape(mine)));
}

void Merger::remind()
{
    if (m_want.remind == m_have.remind)
        return;
    if (!m_want.remind) {
        for (const int index : m_src.reminds)
            remove(index);
    } else if (!m_src.reminds.isEmpty()) {
        replace(m_src.reminds.last(), m_writer.line(head(m_src.reminds.last()), QStringLiteral("1")));
    } else {
        insert(m_card.raw.endLine, m_writer.line(VCard::kRemindProperty, QStringLiteral("1")));
    }
}

void Merger::comment()
{
    if (m_want.comment == m_have.comment)
        return;
    const auto noteEdits = [this](const QString& note) {
        QList<Edit> edits;
        if (note.isEmpty()) {
            const QSet<int> removed = m_removed;
            for (const int index : m_src.notes)
                edits += removal(index);
            m_removed = removed; // a trial until it is taken
        } else if (!m_src.notes.isEmpty()) {
            const Property& last = m_props[m_src.notes.last()];
            edits.append(
                {last.start, last.end, m_writer.line(head(m_src.notes.last()), m_writer.escape(note))});
        } else {
            edits.append(
                {m_card.raw.endLine, m_card.raw.endLine, m_writer.line("NOTE", m_writer.escape(note))});
        }
        return edits;
    };
    // Reading adds the numbers and addresses beyond our fields to the comment
    // ("; тел. ..."); they stay on the server as their own lines. The shortest
    // note that reads back as the comment is the one written.
    const QString& wanted = m_want.comment;
    for (qsizetype cut = 0; cut < wanted.size(); cut = wanted.indexOf(QStringLiteral("; "), cut + 1)) {
        if (cut < 0)
            break;
        const QList<Edit> edits = noteEdits(oneLine(wanted.left(cut)));
        const std::optional<ServerCard> again = parse(apply(m_edits + edits), nullptr);
        if (again && VCard::cardForm(again->contact).comment == wanted) {
            m_edits += edits;
            return;
        }
    }
    m_edits += noteEdits(wanted);
}

} // namespace

namespace VCard {

std::optional<Contact> readOne(const QByteArray& card, QString* error)
{
    const std::optional<ServerCard> parsed = parse(card, error);
    if (!parsed)
        return std::nullopt;
    return parsed->contact;
}

QString uidOf(const QByteArray& card)
{
    const QList<RawCard> raws = splitCards(card.startsWith("\xEF\xBB\xBF") ? card.mid(3) : card);
    if (raws.size() != 1)
        return QString();
    for (const Property& property : raws.first().properties) {
        if (property.name == "UID") {
            bool notText = false;
            const CardReader reader(raws.first(), false);
            return reader.text(property, &notText).value_or(QString()).trimmed();
        }
    }
    return QString();
}

QByteArray writeOne(const Contact& contact, Version version, const QString& uid)
{
    const Contact form = cardForm(contact);
    const LineWriter writer(version == Version::V4 ? Form::V4 : Form::V3, "\r\n");
    QByteArray out = "BEGIN:VCARD\r\n";
    out += version == Version::V4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    if (!oneLine(uid).isEmpty())
        out += writer.line("UID", oneLine(uid));
    out += writer.line("N", writer.names(form, {}));
    out += writer.line("FN", writer.escape(formattedName(form)));
    for (const QString& phone : {form.phone1, form.phone2})
        if (!phone.isEmpty())
            out += writer.line(writer.phoneHead(), writer.escape(phone));
    if (!form.mail.isEmpty())
        out += writer.line(writer.mailHead(), writer.escape(form.mail));
    if (!form.icq.isEmpty()) {
        out += writer.line("IMPP", QStringLiteral("icq:") + form.icq);
        if (version != Version::V4)
            out += writer.line("X-ICQ", writer.escape(form.icq));
    }
    if (hasBirthday(form))
        out += writer.line("BDAY", writer.birthday(form.birthday));
    if (form.category > 0)
        out += writer.line("CATEGORIES", writer.escape(Contacts::categories().at(form.category - 1)));
    if (!form.comment.isEmpty())
        out += writer.line("NOTE", writer.escape(form.comment));
    if (form.remind)
        out += writer.line(kRemindProperty, QStringLiteral("1"));
    out += "END:VCARD\r\n";
    return out;
}

std::optional<QByteArray> mergeInto(const QByteArray& serverCard, const Contact& contact, QString* error)
{
    const std::optional<ServerCard> card = parse(serverCard, error);
    if (!card)
        return std::nullopt;
    const Contact want = cardForm(contact);
    return Merger(*card, want).merged();
}

Contact cardForm(const Contact& contact)
{
    Contact form;
    const auto name = [](const QString& text) {
        const QString value = fieldForm(text, Contacts::kFieldLength);
        return value.isEmpty() ? kEmptyMark : value;
    };
    form.surname = name(contact.surname);
    form.name = name(contact.name);
    form.patronymic = name(contact.patronymic);
    form.phone1 = valueForm(contact.phone1, QLatin1String("tel:"));
    form.phone2 = valueForm(contact.phone2, QLatin1String("tel:"));
    if (form.phone1.isEmpty())
        std::swap(form.phone1, form.phone2);
    form.mail = valueForm(contact.mail, QLatin1String("mailto:"));
    form.icq = valueForm(contact.icq);
    const bool knownCategory = contact.category >= 1 && contact.category <= Contacts::categories().size();
    form.category = knownCategory ? contact.category : 0;
    form.comment = oneLine(contact.comment) == kEmptyMark
                       ? QString()
                       : fieldForm(contact.comment, Contacts::kCommentLength);
    const QTime time = contact.birthday.time();
    const QDateTime birthday(contact.birthday.date(), QTime(time.hour(), time.minute(), time.second()));
    const bool none =
        !contact.birthday.isValid() || (sameMoment(birthday, startingBirthday()) && !contact.remind);
    form.birthday = none ? startingBirthday() : birthday;
    form.remind = !none && contact.remind;
    return form;
}

QByteArray fingerprint(const Contact& contact)
{
    const Contact form = cardForm(contact);
    QByteArray data = "quillarbor contact fields 1";
    const auto add = [&data](const QString& text) {
        const QByteArray octets = text.toUtf8();
        data += '\n' + QByteArray::number(octets.size()) + ':' + octets;
    };
    for (const QString& text : {form.surname, form.name, form.patronymic, form.phone1, form.phone2, form.mail,
                                form.icq, form.comment})
        add(text);
    add(QString::number(form.category));
    add(hasBirthday(form) ? form.birthday.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) : QString());
    add(form.remind ? QStringLiteral("1") : QStringLiteral("0"));
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

} // namespace VCard
