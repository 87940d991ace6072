// A meter table's header file and the channel-name file. Byte 0 picks the table and map version.
#include "core/app/channel_names.h"
#include "core/device/meter_tables.h"
#include "core/device/table_headers.h"
#include "core/grid/grid_model.h"
#include "fuzz_input.h"
#include "support/recording_messages.h"
#include <QFile>
#include <QTemporaryDir>

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const int kTables[] = {0, 1, 2, 3, 4, 5, 7, 9, 10};
    const int index = kTables[data[0] % 9];
    const int mapVersion = (data[0] & 0x80) ? 1 : 2;
    static QTemporaryDir folder;
    QFile file(folder.filePath(TableHeaders::headerFileName(index, mapVersion)));
    fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(fuzz::bytes(data + 1, size - 1));
    file.close();

    test::RecordingMessages messages;
    MeterTables tables(folder.path(), messages);
    tables.Get_BCM_Headers(index, mapVersion);
    const GridModel& grid = tables.table(index).grid();
    // Heading, at most one row per header line, and the empty row at the end.
    fuzz::check(grid.columnCount() == 2 && grid.rowCount() >= 2);
    fuzz::check(grid.rowCount() <= fuzz::lines(data + 1, size - 1).size() + 2);

    const ChannelNames names = ChannelNames::fromText(fuzz::text(data, size));
    fuzz::check(names.count() <= ChannelNames::kMaxChannels);
    for (int channel = 0; channel <= names.count() + 1; ++channel)
        names.nameOfChannel(channel);
    return 0;
}
