#pragma once

#include <QString>

#include <array>

namespace halvana {

// The unit's boards that take a firmware image, and the service-port command that puts each
// into its receive mode (button order of the upgrade window).
struct UpgradeBoard {
    const char* caption;
    const char* command;
};

inline constexpr std::array<UpgradeBoard, 3> kUpgradeBoards{{{"MCB", "upgd"}, {"DIB", "upgdin"}, {"TIB", "upgdtmp"}}};

// The command for a board named as its button is ("mcb" too); empty for no such board.
inline QString upgradeCommand(const QString& board)
{
    for (const UpgradeBoard& b : kUpgradeBoards) {
        if (board.compare(QLatin1String(b.caption), Qt::CaseInsensitive) == 0)
            return QLatin1String(b.command);
    }
    return QString();
}

} // namespace halvana
