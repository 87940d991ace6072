#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <random>

namespace halvana {

// What --faults asks for: probabilities per reply (0..1) and times in milliseconds.
struct FaultOptions {
    double drop = 0;      // the reply is lost
    double corrupt = 0;   // one byte of the reply is changed
    double split = 0;     // the reply leaves in two parts with a pause between them
    double exception = 0; // the request is refused with exception 4 (server device failure)
    int delayMs = 0;      // each reply waits a random 0..delayMs before it leaves
    int splitGapMs = 10;  // the pause inside a split reply is 1..splitGapMs

    bool any() const { return drop > 0 || corrupt > 0 || split > 0 || exception > 0 || delayMs > 0; }

    // "drop=0.05,corrupt=0.05,split=0.1,delay=20,exception=0.02,splitgap=5"; nothing, with a
    // message naming the bad item, when the text is not of that form.
    static std::optional<FaultOptions> parse(const QString& text, QString* error);
};

enum class FrameKind { Rtu, Tcp };

struct ReplyChunk {
    QByteArray bytes;
    int pauseBeforeMs = 0;
};

// How one reply leaves the simulator.
struct ReplyShape {
    bool dropped = false;
    int delayMs = 0;
    QList<ReplyChunk> chunks;
};

// How many of each fault a plan injected, printed by the simulator when it ends.
struct FaultCounts {
    int dropped = 0;
    int corrupted = 0;
    int split = 0;
    int delayed = 0;
    int exceptions = 0;

    // "faults injected: 3 dropped, 5 corrupted, 12 split, 40 delayed, 2 exceptions".
    QString summaryLine() const;
};

// Seeded decisions, so that a run with the same seed and the same requests fails the same way.
class FaultPlan {
public:
    FaultPlan(const FaultOptions& options, quint32 seed);

    const FaultOptions& options() const { return m_options; }

    // Asked before a request is carried out: refuse it?
    bool injectException();
    // Drop, delay, corrupt and split a reply ADU. Over TCP, whose transport already guards the
    // bytes, corruption hits the header fields a master checks (transaction, protocol, length,
    // unit, function, byte count); over RTU any byte, which the CRC must catch.
    ReplyShape shape(const QByteArray& adu, FrameKind kind);

    const FaultCounts& counts() const { return m_counts; }

private:
    bool chance(double p);
    // Uniform in lo..hi.
    int between(int lo, int hi);

    FaultOptions m_options;
    std::mt19937 m_random;
    FaultCounts m_counts;
};

} // namespace halvana
