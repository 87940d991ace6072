#include "core/upgrade/xmodem_block.h"
#include "e2e/e2e_support.h"
#include "support/file_bytes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace halvana::test;

namespace {

// halvana-cli upgrade against the simulator's service port on a pseudo-terminal pair; the
// simulator keeps what it received in a folder.
class UpgradeJourney : public ::testing::Test {
protected:
    bool startSim(const QString& faults = QString(), bool logIn = true)
    {
        m_sim = std::make_unique<SimProcess>();
        QStringList args{"--upgrade-dir", m_dir.path()};
        if (!faults.isEmpty())
            args << "--upgrade-faults" << faults;
        return m_sim->startWithServicePort(args)
               && (!logIn
                   || runCli({QStringLiteral("service"), QStringLiteral("--service"), m_sim->servicePort(), QString(),
                              QStringLiteral("marten")})
                              .exitCode
                          == 0);
    }
    void TearDown() override
    {
        if (m_sim) {
            EXPECT_TRUE(m_sim->stop()) << qPrintable(m_sim->output());
        }
    }

    RunResult upgrade(const QString& board, const QByteArray& image)
    {
        return runCli({QStringLiteral("upgrade"), writeTempFile(m_dir.path(), QStringLiteral("image.bin"), image),
                       QStringLiteral("--service"), m_sim->servicePort(), QStringLiteral("--board"), board});
    }
    QByteArray received(const QString& board) { return fileBytes(m_dir.filePath(board + QStringLiteral(".bin"))); }

    QTemporaryDir m_dir;
    std::unique_ptr<SimProcess> m_sim;
    const QByteArray m_image = QByteArray(900, 'u') + QByteArray("\x00\x1A\xFF", 3);
};

} // namespace

// A NAK and a lost ACK on the way: the blocks are sent again, and each is kept once.
TEST_F(UpgradeJourney, TheImageArrivesWholeThroughANakAndALostAck)
{
    ASSERT_TRUE(startSim(QStringLiteral("nak=2,drop=4"))) << qPrintable(m_sim->output());
    const RunResult r = upgrade(QStringLiteral("DIB"), m_image);
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("File transfer succeeded!\n"));
    EXPECT_EQ(received(QStringLiteral("DIB")), m_image + QByteArray(1024 - 903, halvana::xmodem::kPad))
        << "8 whole blocks";

    // The unit is back at its prompt: the next board's upgrade follows.
    EXPECT_EQ(upgrade(QStringLiteral("tib"), m_image.left(128)).exitCode, 0);
    EXPECT_EQ(received(QStringLiteral("TIB")), m_image.left(128));
}

TEST_F(UpgradeJourney, EveryFailureIsToldAndNeverSucceeds)
{
    const struct {
        const char* faults;
        bool logIn;
        QByteArray image;
        int exitCode;
        const char* err;
    } cases[] = {
        {"cancel=3", true, m_image, 1, "The upgrade is being canceled."},
        {"nak=2,nak=2,nak=2,nak=2,nak=2,nak=2,nak=2,nak=2,nak=2,nak=2", true, m_image, 1,
         "Transfer failed.  To many errors"},
        // At the password prompt the command is not one.
        {"", false, m_image, 1, "The unit did not enter upgrade mode: no \"CCC\" within 1.5 seconds of \"upgd\"."},
        {"", true, QByteArray(), 2, "' is empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        ASSERT_TRUE(startSim(QLatin1String(c.faults), c.logIn)) << qPrintable(m_sim->output());
        const RunResult r = upgrade(QStringLiteral("MCB"), c.image);
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << qPrintable(r.err);
        EXPECT_EQ(r.out, QString());
        EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("MCB.bin"))));
        EXPECT_TRUE(m_sim->stop()) << qPrintable(m_sim->output());
        m_sim.reset();
    }
}
