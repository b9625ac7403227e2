#include "tests/support/modbusserver.h"

#include <modbus.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kStop = 's';
constexpr char kCloseAll = 'c';

} // namespace

ModbusTestServer::ModbusTestServer() = default;

ModbusTestServer::~ModbusTestServer()
{
    stop();
}

bool ModbusTestServer::start()
{
    auto fail = [this](const std::string &why) {
        m_error = why;
        stop();
        return false;
    };
    // Port 0: the system picks a free port, read back below.
    m_ctx = modbus_new_tcp("127.0.0.1", 0);
    m_map = modbus_mapping_new(kBits, kBits, kRegisters, kRegisters);
    if (!m_ctx || !m_map)
        return fail("cannot create the libmodbus context");
    for (int i = 0; i < kRegisters; ++i) {
        m_map->tab_registers[i] = registerValue(i);
        m_map->tab_input_registers[i] = registerValue(i);
    }
    for (int i = 0; i < kBits; ++i) {
        m_map->tab_bits[i] = coilValue(i) ? 1 : 0;
        m_map->tab_input_bits[i] = coilValue(i) ? 1 : 0;
    }
    m_listenFd = modbus_tcp_listen(m_ctx, 16);
    if (m_listenFd < 0)
        return fail(std::string("listen: ") + modbus_strerror(errno));
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return fail(std::string("getsockname: ") + std::strerror(errno));
    m_port = ntohs(addr.sin_port);
    if (pipe(m_wakeFds) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    m_thread = std::thread([this] { run(); });
    return true;
}

void ModbusTestServer::stop()
{
    if (m_thread.joinable()) {
        wake(kStop);
        m_thread.join();
    }
    for (int &fd : m_wakeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
    if (m_ctx) {
        // The context's own socket is one of the clients, closed by run().
        modbus_set_socket(m_ctx, -1);
        modbus_free(m_ctx);
        m_ctx = nullptr;
    }
    if (m_map) {
        modbus_mapping_free(m_map);
        m_map = nullptr;
    }
}

void ModbusTestServer::wake(char command)
{
    ssize_t rc;
    do {
        rc = ::write(m_wakeFds[1], &command, 1);
    } while (rc < 0 && errno == EINTR);
}

void ModbusTestServer::closeConnections()
{
    if (!m_thread.joinable())
        return;
    std::unique_lock<std::mutex> lock(m_mutex);
    const long ticket = ++m_closeRequests;
    lock.unlock();
    wake(kCloseAll);
    lock.lock();
    m_done.wait(lock, [this, ticket] { return m_closesDone >= ticket; });
}

void ModbusTestServer::run()
{
    std::vector<int> clients;
    std::vector<uint8_t> query(MODBUS_TCP_MAX_ADU_LENGTH);
    auto closeAll = [&clients] {
        for (int fd : clients)
            ::close(fd);
        clients.clear();
    };
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listenFd, &readable);
        FD_SET(m_wakeFds[0], &readable);
        int maxFd = std::max(m_listenFd, m_wakeFds[0]);
        for (int fd : clients) {
            FD_SET(fd, &readable);
            maxFd = std::max(maxFd, fd);
        }
        if (select(maxFd + 1, &readable, nullptr, nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (FD_ISSET(m_wakeFds[0], &readable)) {
            char command = 0;
            if (::read(m_wakeFds[0], &command, 1) == 1) {
                if (command == kStop)
                    break;
                if (command == kCloseAll) {
                    closeAll();
                    std::lock_guard<std::mutex> lock(m_mutex);
                    ++m_closesDone;
                    m_done.notify_all();
                    continue;
                }
            }
        }
        if (FD_ISSET(m_listenFd, &readable)) {
            const int fd = ::accept(m_listenFd, nullptr, nullptr);
            if (fd >= 0) {
                clients.push_back(fd);
                ++m_accepted;
            }
        }
        for (auto it = clients.begin(); it != clients.end();) {
            const int fd = *it;
            if (!FD_ISSET(fd, &readable)) {
                ++it;
                continue;
            }
            modbus_set_socket(m_ctx, fd);
            const int rc = modbus_receive(m_ctx, query.data());
            if (rc > 0) {
                ++m_requests;
                modbus_reply(m_ctx, query.data(), rc, m_map);
                ++it;
            } else if (rc == 0) {
                ++it; // not for this server: no reply
            } else {
                ::close(fd);
                it = clients.erase(it);
            }
        }
    }
    closeAll();
    // Release a closeConnections() that raced with stop().
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closesDone = m_closeRequests;
    m_done.notify_all();
}
