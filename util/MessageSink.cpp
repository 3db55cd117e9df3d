#include "util/MessageSink.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "hexcodec/Cipher.h"

namespace {

void PrintToStandardError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::mutex g_sinkMutex;
MessageSink g_sink = PrintToStandardError;

// The codec library reports through a plain function pointer; route it here.
void ForwardCipherMessage(const char* text) {
    ShowMessage(text);
}

}  // namespace

void ShowMessage(const std::string& text) {
    MessageSink sink;
    {
        const std::lock_guard lock(g_sinkMutex);
        sink = g_sink;
    }
    sink(text);
}

MessageSink SetMessageSink(MessageSink sink) {
    CCipher::SetMessageHandler(ForwardCipherMessage);
    const std::lock_guard lock(g_sinkMutex);
    MessageSink previous = std::exchange(g_sink, sink ? std::move(sink) : PrintToStandardError);
    return previous;
}
