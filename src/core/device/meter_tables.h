#pragma once

#include "core/device/register_map.h"
#include "core/grid/grid_model.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

namespace halvana {

class MessageSink;

// One meter table (`MeterTableForms(k)`): caption, grid and open flag. Row 0 is the heading,
// rows 1.. the registers of the block in header-file order, column 0 the register, column 1
// the description and column k + 2 the values of the meter with `MeterCursor` = k.
class MeterTable : public QObject {
    Q_OBJECT
public:
    explicit MeterTable(int index, QObject* parent = nullptr);

    int index() const { return m_index; }
    QString caption() const { return m_caption; }
    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }
    // `MeterTableWindowOpenFlag(k)`.
    bool isOpen() const { return m_open; }
    // The register map version whose header file built the rows.
    int builtMapVersion() const { return m_builtMapVersion; }

    // True once a full pass has marked the caption (": Updated").
    bool isUpdated() const;
    void markUpdated();
    // The link was lost: the values go grey and the caption loses ": Updated".
    void markStale();

signals:
    void captionChanged(const QString& caption);

private:
    friend class MeterTables;
    void setCaption(const QString& caption);

    int m_index;
    QString m_caption;
    GridModel m_grid;
    bool m_open = false;
    int m_builtMapVersion = 0;
};

// The twelve table slots (6 and 8 are never used) and `Get_BCM_Headers`, which builds a
// table from its header file. The program shows a window for each table it is told has opened.
class MeterTables : public QObject {
    Q_OBJECT
public:
    MeterTables(const QString& programFolder, MessageSink& messages, QObject* parent = nullptr);
    ~MeterTables() override;

    MeterTable& table(int index) { return *m_tables.at(size_t(index)); }
    const MeterTable& table(int index) const { return *m_tables.at(size_t(index)); }
    // `MeterTableWindowOpenFlag(index)`; false for indices that are not tables.
    bool isOpen(int index) const;

    // Builds (or rebuilds, keeping it open) table `index` for a register map version: caption,
    // heading, register and description rows from the header file, one empty row at the end,
    // hidden rows. Opens the table; a table that was closed announces itself with tableOpened.
    void Get_BCM_Headers(int index, int mapVersion);
    // Closing clears the open flag; the window is the program's to close.
    void close(int index);

    // The table the all-settings popup acts on: 0..11, or 999 for the system settings grid.
    int ActiveTableIndex = 0;
    static constexpr int kSystemSettingsGrid = 999;

    QString programFolder() const { return m_programFolder; }
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

signals:
    void tableOpened(int index);
    void tableClosed(int index);

private:
    QString m_programFolder;
    MessageSink& m_messages;
    std::array<std::unique_ptr<MeterTable>, kTableCount> m_tables;
};

} // namespace halvana
