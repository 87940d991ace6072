#pragma once

// What `halvana-cli table` must print, worked out independently of the program's decoders:
// from the registers the simulator really sent (its --verbose trace), the header files beside
// the program and the display rules of each block, written out here register by register.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace halvana::test::table {

constexpr int kSystemGrid = 999;

// The unit's side of the exchange as the simulator traced it.
struct Trace {
    // Register (1-based) -> the value of the last reply that carried it.
    std::map<int, quint16> image;
    // First register and count of every read request.
    std::vector<std::pair<int, int>> reads;
    int exceptions = 0;

    std::optional<quint16> value(int reg) const
    {
        const auto it = image.find(reg);
        return it == image.end() ? std::nullopt : std::optional<quint16>(it->second);
    }
};

inline QByteArray hexBytes(const QString& hex)
{
    return QByteArray::fromHex(hex.toLatin1());
}

inline int word(const QByteArray& bytes, int at)
{
    return quint8(bytes[at]) << 8 | quint8(bytes[at + 1]);
}

// Lines "<port> <- HEX" (a request as it arrived) and "<port> -> HEX" (the reply sent).
inline Trace parseTrace(const QString& output, bool tcp)
{
    static const QRegularExpression line(QStringLiteral("^.* (<-|->) ((?:[0-9A-F]{2} ?)+)$"),
                                         QRegularExpression::MultilineOption);
    // Where the function code sits: after the MBAP header and unit id, or after the slave id.
    const int pdu = tcp ? 7 : 1;
    Trace trace;
    std::optional<std::pair<int, int>> request;
    auto it = line.globalMatch(output);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QByteArray frame = hexBytes(m.captured(2).remove(QLatin1Char(' ')));
        if (frame.size() < pdu + 2)
            continue;
        const int function = quint8(frame[pdu]);
        if (m.captured(1) == QLatin1String("<-")) {
            request.reset();
            if (function == 3 && frame.size() >= pdu + 5) {
                request = std::make_pair(word(frame, pdu + 1) + 1, word(frame, pdu + 3));
                trace.reads.push_back(*request);
            }
            continue;
        }
        if (function == 0x83)
            ++trace.exceptions;
        if (function != 3 || !request)
            continue;
        const int count = quint8(frame[pdu + 1]) / 2;
        for (int i = 0; i < count && i < request->second && pdu + 2 + 2 * i + 1 < frame.size(); ++i)
            trace.image[request->first + i] = quint16(word(frame, pdu + 2 + 2 * i));
    }
    return trace;
}

// Display rules: registers shown divided by 10, 100 or 1000; every other register as it is.
struct Rules {
    std::set<int> tenths, hundredths, thousandths;

    Rules& range(std::set<int>& into, int first, int last)
    {
        for (int r = first; r <= last; ++r)
            into.insert(r);
        return *this;
    }
    // first, first + 1, first + 4, first + 5, ... up to last.
    Rules& pairsEveryFour(std::set<int>& into, int first, int last)
    {
        for (int r = first; r <= last; r += 4) {
            into.insert(r);
            into.insert(r + 1);
        }
        return *this;
    }

    QString text(int reg, quint16 v) const
    {
        const auto scaled = [v](int divisor, int digits) {
            return QStringLiteral("%1.%2").arg(v / divisor).arg(v % divisor, digits, 10, QLatin1Char('0'));
        };
        if (tenths.count(reg))
            return scaled(10, 1);
        if (hundredths.count(reg))
            return scaled(100, 2);
        if (thousandths.count(reg))
            return scaled(1000, 3);
        return QString::number(v);
    }
};

// The rules of a table by the register numbers of its first meter (for the branch settings
// block: by register within the block, 1..99).
inline Rules rulesOf(int table, int map)
{
    Rules r;
    switch (table) {
    case 0:
        if (map == 1) {
            r.tenths = {13, 14, 18, 97, 98, 99};
            r.hundredths = {43, 44, 47, 48, 51, 52, 55, 56, 59, 60, 63, 64, 102, 103, 110, 111, 118, 119, 124, 125};
            r.pairsEveryFour(r.hundredths, 71, 96);
            r.thousandths = {20};
        } else {
            r.tenths = {7, 8, 13, 48, 49, 80, 81, 82};
            r.hundredths = {83, 84};
            r.pairsEveryFour(r.hundredths, 30, 79);
            r.thousandths = {9};
        }
        break;
    case 1:
        if (map == 1)
            r.range(r.tenths, 2161, 2168).range(r.tenths, 2188, 2188).range(r.hundredths, 2160, 2160).range(r.hundredths, 2169, 2187);
        else
            r.range(r.tenths, 2112, 2119).range(r.hundredths, 2111, 2111).range(r.hundredths, 2120, 2121).range(r.hundredths, 2128, 2141);
        break;
    case 2:
        if (map == 1) {
            r.range(r.tenths, 43012, 43015).range(r.tenths, 43114, 43116);
            r.tenths.insert({43027, 43062, 43063});
            r.pairsEveryFour(r.hundredths, 43044, 43065).pairsEveryFour(r.hundredths, 43072, 43113);
        } else {
            r.range(r.tenths, 40006, 40009).range(r.tenths, 40107, 40109);
            r.tenths.insert({40022, 40024, 40025, 40059, 40060});
            r.pairsEveryFour(r.hundredths, 40041, 40106);
            r.hundredths.insert({40110, 40111});
            r.thousandths = {40010};
        }
        break;
    case 3:
        if (map == 1)
            r.range(r.tenths, 43241, 43260).range(r.tenths, 43335, 43335).range(r.hundredths, 43238, 43240)
                .range(r.hundredths, 43261, 43264).range(r.hundredths, 43275, 43322);
        else
            r.range(r.tenths, 40221, 40240).range(r.tenths, 40337, 40337).range(r.hundredths, 40218, 40220)
                .range(r.hundredths, 40241, 40247).range(r.hundredths, 40253, 40333);
        break;
    case 4:
        r.hundredths = {54, 55, 56, 58, 59, 62, 63};
        break;
    default:
        break;
    }
    return r;
}

inline QString headerFileOf(int table, int map)
{
    const QString suffix = map == 1 ? QString() : QStringLiteral("2");
    switch (table) {
    case 0:
        return QStringLiteral("SinglePhaseSettings%1.txt").arg(suffix);
    case 1:
        return QStringLiteral("SinglePhaseReadings%1.txt").arg(suffix);
    case 2:
        return QStringLiteral("ThreePhaseSettings%1.txt").arg(suffix);
    case 3:
        return QStringLiteral("ThreePhaseReadings%1.txt").arg(suffix);
    case 4:
        return QStringLiteral("SystemSettings.txt");
    case 5:
        return QStringLiteral("MeterInfo.txt");
    case 7:
        return QStringLiteral("InputBoardStatus.txt");
    case 9:
        return QStringLiteral("ThermalSettings.txt");
    default:
        return QStringLiteral("ThermalReadings.txt");
    }
}

// Register and description of every line with at least two TAB-separated fields.
inline std::vector<std::pair<QString, QString>> headerRows(const QString& folder, int table, int map)
{
    QFile file(folder + QLatin1Char('/') + headerFileOf(table, map));
    std::vector<std::pair<QString, QString>> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\n")));
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2)
            rows.emplace_back(fields[0], fields[1]);
    }
    return rows;
}

// The unit's meter list from the meter information words.
struct Meter {
    int index;
    int type;
    int number;
    int ordinal; // among the meters of its own type
};

inline std::vector<Meter> meterList(const Trace& trace)
{
    std::vector<Meter> meters;
    std::map<int, int> perType;
    const int count = trace.value(5).value_or(0);
    for (int m = 0; m < count; ++m) {
        const quint16 info = trace.value(101 + m).value_or(0);
        const int type = info >> 12;
        meters.push_back({m, type, info & 0xFF, perType[type]++});
    }
    return meters;
}

inline QString typeLabel(int type)
{
    static const std::map<int, QString> labels = {
        {1, QStringLiteral("1) Branch")},  {2, QStringLiteral("2) PDU Input")},     {3, QStringLiteral("3) PDU Output")},
        {4, QStringLiteral("4) Subfeed")}, {5, QStringLiteral("5) Br. Multipole")}, {9, QStringLiteral("9) Panel")},
    };
    const auto it = labels.find(type);
    return it != labels.end() ? it->second : QStringLiteral("%1) Unknown").arg(type);
}

// The heading of a three-phase meter's column, on one line as it is printed.
inline QString threePhaseHeading(int cursor, const Meter& meter)
{
    static const std::map<int, QString> prefixes = {
        {2, QStringLiteral("PDU In ")}, {3, QStringLiteral("PDU Out ")}, {4, QStringLiteral("SF")},
        {5, QStringLiteral("MP")},      {9, QStringLiteral("Panel ")},
    };
    const auto it = prefixes.find(meter.type);
    const QString kind = it != prefixes.end() ? it->second + QString::number(meter.ordinal + 1) : typeLabel(meter.type);
    return QStringLiteral("M%1 (%2)").arg(cursor + 1).arg(kind);
}

// Where a table's meter blocks lie and how its value columns are headed.
struct Layout {
    int stride = 0;
    int columns = 1;
    std::vector<QString> headings;
};

inline Layout layoutOf(int table, int map, const std::vector<Meter>& meters)
{
    Layout layout;
    std::vector<Meter> branches, others;
    for (const Meter& m : meters)
        (m.type == 1 ? branches : others).push_back(m);
    switch (table) {
    case 0:
    case 1:
        layout.stride = map == 1 ? 200 : 150;
        for (size_t k = 0; k < branches.size(); ++k)
            layout.headings.push_back(QStringLiteral("B%1").arg(k + 1));
        break;
    case 2:
    case 3:
        layout.stride = 350;
        for (size_t k = 0; k < others.size(); ++k)
            layout.headings.push_back(threePhaseHeading(int(k), others[k]));
        break;
    case 9:
    case 10:
        layout.stride = table == 9 ? 150 : 75;
        for (int k = 0; k < 6; ++k)
            layout.headings.push_back(QStringLiteral("Slot %1").arg(k + 1));
        break;
    default:
        layout.headings.push_back(QStringLiteral("Value"));
        break;
    }
    layout.columns = int(layout.headings.size());
    return layout;
}

struct Grid {
    QStringList headings;
    std::vector<QStringList> rows;
};

// The text of one cell: a register's value by the table's rules, or one bit of a status word
// for the rows numbered "register.bit". Empty when the unit never sent the register.
inline QString cellText(const Trace& trace, const Rules& rules, const QString& reg, int offset, int ruleBase)
{
    const int dot = int(reg.indexOf(QLatin1Char('.')));
    if (dot > 0) {
        const auto word = trace.value(reg.left(dot).toInt() + offset);
        if (!word)
            return QString();
        return (*word >> reg.mid(dot + 1).toInt()) & 1 ? QStringLiteral("Active") : QStringLiteral("OK");
    }
    const int r = reg.toInt();
    const auto v = trace.value(r + offset);
    return v ? rules.text(r - ruleBase, *v) : QString();
}

inline int ruleBaseOf(int table)
{
    return table == 0 ? 2000 : 0;
}

inline Grid meterTable(const QString& folder, int table, int map, const Trace& trace)
{
    const Layout layout = layoutOf(table, map, meterList(trace));
    const Rules rules = rulesOf(table, map);
    Grid grid;
    grid.headings = QStringList{QStringLiteral("Reg"), QStringLiteral("Description")};
    for (const QString& h : layout.headings)
        grid.headings << h;
    for (const auto& [reg, description] : headerRows(folder, table, map)) {
        QStringList row{reg, description};
        for (int k = 0; k < layout.columns; ++k)
            row << cellText(trace, rules, reg, layout.stride * k, ruleBaseOf(table));
        grid.rows.push_back(row);
    }
    return grid;
}

inline Grid systemGrid(const Trace& trace)
{
    Grid grid;
    grid.headings = {QStringLiteral("Meter No."), QStringLiteral("Type"),    QStringLiteral("Mtr #"),
                     QStringLiteral("Group"),     QStringLiteral("Warning"), QStringLiteral("Alarm")};
    for (const Meter& m : meterList(trace)) {
        const quint16 status = trace.value(401 + m.index).value_or(0);
        grid.rows.push_back({QStringLiteral("Meter %1").arg(m.index + 1), typeLabel(m.type), QString::number(m.number),
                             QString::number(status >> 4), status & 2 ? QStringLiteral("Active") : QStringLiteral("OK"),
                             status & 1 ? QStringLiteral("Active") : QStringLiteral("OK")});
    }
    return grid;
}

// "All Settings": the settings rows in the order the cycle reads them - system information,
// meter information, each branch, each three-phase meter, each thermal slot - with the
// absolute register and the meter's tag, without the "Not Used" rows.
inline Grid allSettings(const QString& folder, int map, const Trace& trace)
{
    Grid grid;
    grid.headings = {QStringLiteral("Reg"), QStringLiteral("Description"), QStringLiteral("Value")};
    const std::vector<Meter> meters = meterList(trace);
    for (int table : {4, 5, 0, 2, 9}) {
        const Layout layout = layoutOf(table, map, meters);
        const Rules rules = rulesOf(table, map);
        const bool tagged = table == 0 || table == 2 || table == 9;
        for (int k = 0; k < layout.columns; ++k) {
            const QString tag = table == 0 ? QStringLiteral("B%1").arg(k + 1)
                              : table == 2 ? QStringLiteral("M%1").arg(k + 1)
                                           : QStringLiteral("Slot %1").arg(k + 1);
            for (const auto& [reg, description] : headerRows(folder, table, map)) {
                if (description.contains(QLatin1String("Not Used")))
                    continue;
                const int offset = layout.stride * k;
                grid.rows.push_back({QString::number(reg.toInt() + offset),
                                     tagged ? description + QStringLiteral(" - ") + tag : description,
                                     cellText(trace, rules, reg, offset, ruleBaseOf(table))});
            }
        }
    }
    return grid;
}

inline Grid expectedGrid(const QString& folder, int table, int map, const Trace& trace)
{
    if (table == kSystemGrid)
        return systemGrid(trace);
    if (table == 11)
        return allSettings(folder, map, trace);
    return meterTable(folder, table, map, trace);
}

// The blocks a readout of `table` may read: steps 0 to 4 and the steps of the open windows.
inline std::set<int> allowedReads(int table, int map, const Trace& trace)
{
    std::set<int> regs = {1, 101, 226, 401, 526};
    const std::vector<Meter> meters = meterList(trace);
    const auto add = [&](int t, std::initializer_list<int> firsts) {
        const Layout layout = layoutOf(t, map, meters);
        for (int k = 0; k < layout.columns; ++k)
            for (int first : firsts)
                regs.insert(first + layout.stride * k);
    };
    const bool map1 = map == 1;
    const auto step = [&](int t) {
        switch (t) {
        case 0:
            add(0, {2001});
            break;
        case 1:
            add(1, {map1 ? 2139 : 2093});
            break;
        case 2:
            add(2, {map1 ? 43001 : 40001});
            break;
        case 3:
            add(3, {map1 ? 43167 : 40153, map1 ? 43275 : 40253});
            break;
        case 7:
            regs.insert(63451);
            break;
        case 9:
            add(9, {64001, 64121});
            break;
        case 10:
            add(10, {63501});
            break;
        default:
            break;
        }
    };
    if (table == 11) {
        for (int t : {0, 2, 7, 9})
            step(t);
    } else {
        step(table);
    }
    return regs;
}

} // namespace halvana::test::table
