// An independent Modbus slave for the interoperability tests, built on libmodbus:
//   libmodbus_server --tcp 127.0.0.1:0              listens on a free localhost port
//   libmodbus_server --rtu DEVICE --baud BAUD       serves slave 1 on a serial device (8N1)
// (the simulator's options, so that the tests start either the same way)
// Holding registers 5001..5010 (wire addresses 5000..5009) start as 0, 111, 222, ...; any other
// register is answered with exception 2. It prints one line when ready and serves until killed.
#include <modbus.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kFirstAddress = 5000;
constexpr int kCount = 10;

// Answers the master until its connection closes; over a serial line bad frames (CRC, other
// slaves) are skipped, as a unit on a shared line does, and it never ends.
void answer(modbus_t* ctx, bool serial)
{
    static modbus_mapping_t* mapping = [] {
        modbus_mapping_t* m = modbus_mapping_new_start_address(0, 0, 0, 0, kFirstAddress, kCount, 0, 0);
        for (int i = 0; i < kCount; ++i)
            m->tab_registers[i] = uint16_t(111 * i);
        return m;
    }();
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    for (;;) {
        const int rc = modbus_receive(ctx, query);
        if (rc > 0)
            modbus_reply(ctx, query, rc, mapping);
        else if (rc < 0 && !serial)
            return;
    }
}

int serveTcp()
{
    modbus_t* ctx = modbus_new_tcp("127.0.0.1", 0);
    int server = modbus_tcp_listen(ctx, 1);
    if (server < 0) {
        std::fprintf(stderr, "listen: %s\n", modbus_strerror(errno));
        return 1;
    }
    sockaddr_in address {};
    socklen_t length = sizeof address;
    getsockname(server, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("listening on 127.0.0.1:%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    // One master at a time.
    for (int client; (client = modbus_tcp_accept(ctx, &server)) >= 0; close(client))
        answer(ctx, false);
    return 1;
}

int serveRtu(const char* device, int baud)
{
    modbus_t* ctx = modbus_new_rtu(device, baud, 'N', 8, 1);
    modbus_set_slave(ctx, 1);
    if (modbus_connect(ctx) < 0) {
        std::fprintf(stderr, "%s: %s\n", device, modbus_strerror(errno));
        return 1;
    }
    std::printf("serving %s at %d baud\n", device, baud);
    std::fflush(stdout);
    answer(ctx, true);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--tcp") == 0)
        return serveTcp();
    if (argc == 5 && std::strcmp(argv[1], "--rtu") == 0 && std::strcmp(argv[3], "--baud") == 0)
        return serveRtu(argv[2], std::atoi(argv[4]));
    std::fprintf(stderr, "usage: libmodbus_server --tcp 127.0.0.1:0 | --rtu DEVICE --baud BAUD\n");
    return 2;
}
