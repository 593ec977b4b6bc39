// The device link's frame parser on any stream, cut into pieces that arrive
// with pauses: every frame it gives back is one a sender could have sent.
#include "FuzzSupport.h"
#include "device/LinkProtocol.h"

using namespace LinkProtocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FrameParser parser;
    parser.setLineRate(size > 0 && data[0] & 1 ? 300 : 115200);
    qint64 now = 0;
    size_t pos = size > 0 ? 1 : 0;
    // Pieces: a length byte, a pause byte (in 10 ms), then the bytes.
    while (pos + 2 <= size) {
        const size_t length = qMin<size_t>(data[pos], size - pos - 2);
        now += qint64(data[pos + 1]) * 10;
        parser.feedAt(QByteArrayView(reinterpret_cast<const char *>(data) + pos + 2, qsizetype(length)), now);
        pos += 2 + length;
        for (;;) {
            Frame frame;
            const auto result = parser.next(frame);
            if (result == FrameParser::NeedMore)
                break;
            if (frame.payload.size() > MaxPayload)
                fuzz::fail("a payload longer than a frame can hold");
            if (result == FrameParser::Good) {
                // The same frame, made afresh, parses to the same fields.
                FrameParser again;
                again.feedAt(makeFrame(frame.type, frame.seq, frame.payload), 0);
                Frame copy;
                if (again.next(copy) != FrameParser::Good || copy.type != frame.type || copy.seq != frame.seq
                    || copy.payload != frame.payload)
                    fuzz::fail("a frame does not survive being made again", frame.payload, copy.payload);
            }
        }
        if (parser.pending() > HeaderSize + MaxPayload + 2 + 255)
            fuzz::fail("the parser holds more than one frame's bytes");
    }
    return 0;
}
