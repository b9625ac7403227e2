#pragma once

#include "app/comports.h"

// A list of system serial ports that tests fill in. Installed while it lives.
class FakeComPorts : public ComPorts::Source
{
public:
    FakeComPorts() { install(this); }
    ~FakeComPorts() override { install(nullptr); }
    FakeComPorts(const FakeComPorts &) = delete;
    FakeComPorts &operator=(const FakeComPorts &) = delete;

    QList<ComPorts::SystemPort> list;

    QList<ComPorts::SystemPort> ports() override { return list; }
};
