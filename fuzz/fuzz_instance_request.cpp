// The instance socket's messages: a later `velloq` sends one request line,
// the running one answers with one reply line. Any line must decode to a
// message or to nothing without a fault, and a decoded message must encode
// and decode again to the same message.

#include "FuzzSupport.h"
#include "app/InstanceServer.h"

#include <cstddef>
#include <cstdint>

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

void checkRequest(const QByteArray& line) {
    const auto request = InstanceServer::decodeRequest(line);
    if (!request)
        return;
    const QByteArray encoded = InstanceServer::encode(*request);
    if (!encoded.endsWith('\n') || encoded.count('\n') != 1)
        fuzz::fail("an encoded request is not one line", fuzz::visible(encoded));
    const auto again = InstanceServer::decodeRequest(encoded);
    if (!again)
        fuzz::fail("an encoded request does not decode", describe(*request));
    if (!(*again == *request))
        fuzz::fail("a request changes when encoded and decoded",
                   describe(*request) + u"\nbecomes\n"_s + describe(*again));
}

void checkReply(const QByteArray& line) {
    const auto reply = InstanceServer::decodeReply(line);
    if (!reply)
        return;
    const QByteArray encoded = InstanceServer::encode(*reply);
    if (!encoded.endsWith('\n') || encoded.count('\n') != 1)
        fuzz::fail("an encoded reply is not one line", fuzz::visible(encoded));
    const auto again = InstanceServer::decodeReply(encoded);
    if (!again)
        fuzz::fail("an encoded reply does not decode", describe(*reply));
    if (!(*again == *reply))
        fuzz::fail("a reply changes when encoded and decoded",
                   describe(*reply) + u"\nbecomes\n"_s + describe(*again));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line = fuzz::bytes(data, size);
    checkRequest(line);
    checkReply(line);
    return 0;
}
