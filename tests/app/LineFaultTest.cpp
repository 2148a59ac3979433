// The utility against an instrument on a real line: replies garbled on the wire and replies that
// come after the timeout, answered with Retry in the utility's own boxes.
#include "app/frmUtility.h"
#include "policy/ReportError.h"
#include "records/QVSetup.h"
#include "support/ScriptedPrompter.h"
#include "support/SimServerThread.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quvane;

namespace {

class LineFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.port().isEmpty()) << "the simulated instrument could not listen";
        server.withInstrument([](SimInstrument &instrument) { instrument.seedDatalog(5); });
        window = std::make_unique<frmUtility>(prompts, LinkOptions{server.port(), {}, {}});
        window->qvSensor.setTimeout(TimeoutMs);
        window->Form_Load();
    }

    // Faults at exchanges counted from 1 from the next command the instrument receives.
    void faultAt(int garbled, int late)
    {
        server.withInstrument([garbled, late](SimInstrument &instrument) {
            const int next = instrument.commandsReceived();
            instrument.faults() = {};
            if (garbled > 0)
                instrument.faults().corruptAt = next + garbled;
            // Out once the retry is on its way, whatever the machine's speed.
            if (late > 0)
                instrument.faults().lateAt = next + late;
        });
    }

    QByteArray capture(const char *name)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        prompts.chooseFile(file);
        window->mnuDatalogItem_Click(0);
        QFile written(file);
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    }

    static constexpr int TimeoutMs = 600;
    static inline const QString Timeout = QStringLiteral("Communications Timeout");

    SimServerThread server;
    ScriptedPrompter prompts;
    QTemporaryDir dir;
    std::unique_ptr<frmUtility> window;
};

TEST_F(LineFaultTest, CaptureRetriedAfterLineFaultsGivesTheCleanFile)
{
    const QByteArray cleanCapture = capture("clean.txt");
    ASSERT_EQ(cleanCapture.count('\n'), 5);

    // Exchange 1 is the count; record 2 is garbled (3), its retry is 4, record 3 comes late (5).
    faultAt(3, 5);
    prompts.answer(MsgAnswer::Retry).answer(MsgAnswer::Retry);
    EXPECT_EQ(capture("capture.txt"), cleanCapture);
    EXPECT_EQ(prompts.texts(),
              (QStringList{"Communications Error\n\nMalformed packet: the reply to "
                           "\"Q100000001\" fails its checksum",
                           Timeout}));
}

TEST_F(LineFaultTest, MainWindowOperationsOfferRetryForAGarbledReply)
{
    faultAt(1, 0);
    prompts.answer(MsgAnswer::Retry);
    EXPECT_EQ(window->session().DatalogCount(), 5);
    EXPECT_EQ(prompts.texts(), QStringList{"Communications Error\n\nMalformed packet: the reply "
                                           "to \"D0001\" fails its checksum"});

    // A late reply is dropped, never taken for the reply to the retry or to the next command.
    faultAt(0, 1);
    prompts.answer(MsgAnswer::Retry);
    EXPECT_EQ(window->session().DatalogCount(), 5);
    EXPECT_EQ(prompts.lastText(), Timeout);
    EXPECT_EQ(window->session().DatalogCount(), 5);

    // Every kind of damage to a frame, and a well-framed reply to another command, is offered
    // Retry the same way and mended by it.
    const struct
    {
        LineNoise noise;
        const char *why;
    } damage[] = {
        {LineNoise::EmptyLine, "is an empty line"},
        {LineNoise::Short, "is too short to hold a sequence digit and a checksum"},
        {LineNoise::LeadingNul, "holds a character that is not printable ASCII"},
        {LineNoise::Overlong, "is longer than 4096 characters"},
        {LineNoise::BadSequence, "has no sequence digit"},
    };
    for (const auto &d : damage) {
        faultAt(1, 0);
        server.withInstrument(
            [&d](SimInstrument &instrument) { instrument.faults().corruptKind = d.noise; });
        prompts.answer(MsgAnswer::Retry);
        EXPECT_EQ(window->session().DatalogCount(), 5) << d.why;
        EXPECT_EQ(prompts.lastText(),
                  QStringLiteral("Communications Error\n\nMalformed packet: the reply to "
                                 "\"D0001\" %1")
                      .arg(QLatin1String(d.why)));
    }
    QVSetup setup(window->qvSensor);
    server.withInstrument([](SimInstrument &instrument) { instrument.faults() = {}; });
    setup.Read(6);
    server.withInstrument([](SimInstrument &instrument) {
        instrument.faults().staleAt = instrument.commandsReceived() + 1;
    });
    prompts.answer(MsgAnswer::Retry);
    trapped(prompts, [&] { setup.Read(7); });
    EXPECT_EQ(setup.SetupNumber, 7);
    EXPECT_TRUE(prompts.lastText().contains(QLatin1String("holds set-up")))
        << prompts.lastText().toStdString();

    // Cancel ends the program, as it does for a timeout.
    faultAt(1, 0);
    prompts.answer(MsgAnswer::Cancel);
    EXPECT_THROW(window->session().DatalogCount(), ProgramEnded);
}

} // namespace
