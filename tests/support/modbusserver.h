#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

// A real Modbus/TCP server, built on libmodbus, for tests and benchmarks: it
// listens on 127.0.0.1 on a free port of its own choosing and answers every
// connection from a thread of its own. Register and coil values are fixed (see
// registerValue and coilValue) so that replies can be checked byte by byte.
class ModbusTestServer
{
public:
    static constexpr int kRegisters = 256; // holding and input registers, from 0
    static constexpr int kBits = 256;      // coils and discrete inputs, from 0

    ModbusTestServer();
    ~ModbusTestServer();
    ModbusTestServer(const ModbusTestServer &) = delete;
    ModbusTestServer &operator=(const ModbusTestServer &) = delete;

    // Listens and starts serving; false (with error()) when it cannot.
    bool start();
    void stop();
    int port() const { return m_port; }
    const std::string &error() const { return m_error; }

    // Ends every connection the server holds, as a server that goes away
    // would; returns once they are closed. New connections are still taken.
    void closeConnections();

    // Requests received and answered since start.
    long requests() const { return m_requests.load(); }
    long connectionsAccepted() const { return m_accepted.load(); }

    static std::uint16_t registerValue(int address) { return std::uint16_t(0x0A00 + address); }
    static bool coilValue(int address) { return address % 3 == 0; }

private:
    void run();
    void wake(char command);

    modbus_t *m_ctx = nullptr;
    modbus_mapping_t *m_map = nullptr;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    int m_port = 0;
    std::string m_error;
    std::thread m_thread;
    std::atomic<long> m_requests{0};
    std::atomic<long> m_accepted{0};

    std::mutex m_mutex;
    std::condition_variable m_done;
    long m_closeRequests = 0;
    long m_closesDone = 0;
};
