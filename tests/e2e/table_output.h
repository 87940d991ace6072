#pragma once

// A unit for `halvana-cli table` runs and the means to read its printed grids.

#include "e2e/e2e_support.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace halvana::test {

// Branch meters among three-phase meters of every kind (and one the program does not know),
// with alarms and warnings raised on branches and on three-phase meters.
inline const char* const kTableProfile = "firmware 3.1.42\n"
                                         "meter pdu-input\n"
                                         "meter branch count=2\n"
                                         "meter pdu-output\n"
                                         "meter subfeed count=2\n"
                                         "meter multipole\n"
                                         "meter panel\n"
                                         "meter type=7\n"
                                         "meter branch count=2\n"
                                         "alarm 2 0x0401\n"
                                         "warning 10 0x0002\n"
                                         "warning 5 0x0003\n"
                                         "alarm 6 0x8001\n"
                                         "warning 1 0x0100\n"
                                         "thermal-modules 2\n";

// halvana-sim with that profile, tracing every frame.
inline bool startTableUnit(SimProcess& sim, Wire wire, int map, const QStringList& extraArgs = {})
{
    return sim.startWithProfile(wire, kTableProfile, words("--verbose --map ") << QString::number(map) << extraArgs);
}

// The lines of TSV output as cells.
inline std::vector<QStringList> tsvRows(const QString& out)
{
    QStringList lines = out.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    std::vector<QStringList> rows;
    for (const QString& line : lines)
        rows.push_back(line.split(QLatin1Char('\t')));
    return rows;
}

// Register and description of every line of a definition file with two TAB-separated fields.
inline std::vector<QStringList> headerFileRows(const QString& name)
{
    QFile file(QStringLiteral(HALVANA_SOURCE_DIR "/data/") + name);
    std::vector<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "no " << qPrintable(file.fileName());
    for (const QString& line : QString::fromLatin1(file.readAll()).split(QRegularExpression(QStringLiteral("\r?\n")))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 2)
            rows.push_back(fields.mid(0, 2));
    }
    return rows;
}

} // namespace halvana::test
