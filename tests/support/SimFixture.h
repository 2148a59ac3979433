#pragma once

#include "ScriptedPrompter.h"
#include "SensorControl.h"
#include "SimInstrument.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

#include <memory>

// A simulated instrument in this process, reached through QUVANE_PORT=sim, with a scripted
// prompter and a record of every command the instrument received.
class SimFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("QUVANE_PORT", "sim");
        sim = std::make_shared<SimInstrument>();
        sim->onExchange = [this](const QByteArray &command, const QByteArray &) {
            commands.append(command);
        };
        SensorControl::setInProcessInstrument([this] { return sim; });
    }

    void TearDown() override
    {
        SensorControl::setInProcessInstrument(nullptr);
        qunsetenv("QUVANE_PORT");
    }

    // Connects a sensor the way the main window does.
    void connectSensor(SensorControl &sensor)
    {
        sensor.ConnectOption = 5;
        sensor.Connect();
        ASSERT_TRUE(sensor.IsConnected()) << sensor.connectionError().toStdString();
        commands.clear();
    }

    std::shared_ptr<SimInstrument> sim;
    QByteArrayList commands;
    ScriptedPrompter prompts;
};
