#pragma once

#include "link/LinkOptions.h"
#include "link/SensorControl.h"
#include "sim/SimInstrument.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

#include <memory>

namespace quvane {

// A simulated instrument in this process, reached through the port "sim", with a record of
// every command the instrument received.
class SimFixture : public ::testing::Test
{
protected:
    SimFixture() : sim(std::make_shared<SimInstrument>())
    {
        sim->onExchange = [this](const QByteArray &command, const QByteArray &) {
            commands.append(command);
        };
        link.port = QStringLiteral("sim");
        link.inProcessInstrument = [this] { return sim; };
    }

    // Connects a sensor the way the main window does.
    void connectSensor(SensorControl &sensor)
    {
        sensor.ConnectOption = SensorControl::ConnectByOptions;
        sensor.Connect(link);
        ASSERT_TRUE(sensor.IsConnected()) << sensor.connectionError().toStdString();
        commands.clear();
    }

    std::shared_ptr<SimInstrument> sim;
    LinkOptions link;
    QByteArrayList commands;
};

} // namespace quvane
