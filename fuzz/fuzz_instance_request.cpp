// The instance socket's messages: a later `velloq` sends one request line,
// the running one answers with one reply line. Any line must decode to a
// message or to nothing without a fault, and a decoded message must encode
// and decode again to the same message.

#include "FuzzSupport.h"
#include "app/InstanceServer.h"

#include <cstddef>
#include <cstdint>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QString describe(const InstanceServer::Request& request) {
    QString out = u"arguments:"_s;
    for (const QString& argument : request.arguments)
        out += u" ["_s + fuzz::visible(argument) + u']';
    return out + u"\ninput: "_s + fuzz::visible(request.input) + u"\nworking directory: "_s +
           fuzz::visible(request.workingDirectory);
}

QString describe(const InstanceServer::Reply& reply) {
    return u"code %1\nout: %2\nerr: %3"_s.arg(QString::number(reply.code), fuzz::visible(reply.out),
                                              fuzz::visible(reply.err));
}

bool operator==(const InstanceServer::Request& a, const InstanceServer::Request& b) {
    return a.arguments == b.arguments && a.input == b.input &&
           a.workingDirectory == b.workingDirectory;
}

bool operator==(const InstanceServer::Reply& a, const InstanceServer::Reply& b) {
    return a.code == b.code && a.out == b.out && a.err == b.err;
}

// `kind` names the message in failures: "request" or "reply".
template <class Message>
void checkRoundTrip(const QByteArray& line,
                    std::optional<Message> (*decode)(const QByteArray& line), const QString& kind) {
    const auto message = decode(line);
    if (!message)
        return;
    const QByteArray encoded = InstanceServer::encode(*message);
    if (!encoded.endsWith('\n') || encoded.count('\n') != 1)
        fuzz::fail("an encoded message is not one line", kind + u": "_s + fuzz::visible(encoded));
    const auto again = decode(encoded);
    if (!again)
        fuzz::fail("an encoded message does not decode", kind + u": "_s + describe(*message));
    if (!(*again == *message))
        fuzz::fail("a message changes when encoded and decoded",
                   kind + u": "_s + describe(*message) + u"\nbecomes\n"_s + describe(*again));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line = fuzz::bytes(data, size);
    checkRoundTrip(line, &InstanceServer::decodeRequest, u"request"_s);
    checkRoundTrip(line, &InstanceServer::decodeReply, u"reply"_s);
    return 0;
}
