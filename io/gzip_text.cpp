// Inflating gzip files with zlib, member after member, into one buffer that grows as needed.
#include "io/gzip_text.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <new>

#include "io/read_progress.h"
#include "io/report_text.h"
#include "io/text_lines.h"

namespace {

// Compressed bytes are read and handed to zlib in steps of this size.
constexpr std::size_t kStepBytes = std::size_t{1} << 20;

// The content's size as the last member's trailer gives it (modulo 2^32): the buffer's first
// size, so that a file of one member under 4 GB is inflated into it without a copy.
std::size_t sizeHint(const char* trailer, std::size_t compressed, std::size_t limit)
{
    std::size_t size = 0;
    for (int k = 3; k >= 0; --k) {
        size = (size << 8) | static_cast<unsigned char>(trailer[k]);
    }
    // A trailer that cannot be right (content smaller than a tenth of the compressed bytes)
    // gives a start of twice the compressed size instead.
    if (size < compressed / 10) {
        size = compressed * 2;
    }
    // A little more than the content, so that the trailer after it is read without growing.
    return std::min(std::max<std::size_t>(size, 64) + 64, limit + 1);
}

class Inflater {
public:
    Inflater(const char* name, std::size_t limit, std::size_t firstSize, InflateReport& report)
        : name_(name), limit_(limit), capacity_(firstSize), report_(report)
    {
        ok_ = inflateInit2(&z_, 15 + 16) == Z_OK;
        if (!ok_) {
            refuse(0, "zlib cannot be started");
        }
    }
    ~Inflater() { inflateEnd(&z_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates the next compressed bytes, which start at offset of the file; false once refused
    // or once the gzip data have ended (with bytes after them not read).
    bool take(const char* bytes, std::size_t size, std::size_t offset)
    {
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        z_.avail_in = static_cast<uInt>(size);
        while (ok_ && !ended_ && z_.avail_in > 0) {
            if (memberEnded_) {
                // Another member follows, or bytes that are no gzip data.
                if (!looksLikeGzip(reinterpret_cast<const char*>(z_.next_in), z_.avail_in) && z_.avail_in >= 2) {
                    const std::size_t at = offset + size - z_.avail_in;
                    report_.warnings.push_back(
                        fileByteError(name_, at, "what follows the gzip data is not read"));
                    ended_ = true;
                    break;
                }
                inflateReset(&z_);
                memberEnded_ = false;
            }
            if (!room()) {
                return false;
            }
            z_.next_out = reinterpret_cast<Bytef*>(out_.get() + used_);
            const std::size_t space = std::min<std::size_t>(capacity_ - used_, UINT_MAX);
            z_.avail_out = static_cast<uInt>(space);
            const int status = inflate(&z_, Z_NO_FLUSH);
            used_ += space - z_.avail_out;
            if (used_ > limit_) {
                return refuse(offset + size - z_.avail_in,
                              formatLine("inflates to more than %s, more than a load may take", megabytes(limit_).c_str()));
            }
            if (status == Z_STREAM_END) {
                memberEnded_ = true;
            } else if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
                return refuse(offset + size - z_.avail_in,
                              std::string("the gzip data are damaged (") + (z_.msg != nullptr ? z_.msg : "no detail") + ")");
            } else if (status == Z_MEM_ERROR) {
                return refuse(offset + size - z_.avail_in, "there is no memory to inflate it");
            }
        }
        return ok_ && !ended_;
    }

    // After the last compressed byte (the file holds size bytes): whether the data ended there.
    bool finish(std::size_t size)
    {
        if (ok_ && !memberEnded_ && !ended_) {
            return refuse(size, "the gzip data end early (the file is cut short?)");
        }
        return ok_;
    }

    void result(FileBuffer& buffer)
    {
        buffer.bytes = std::move(out_);
        buffer.size = used_;
    }

private:
    static std::string megabytes(std::size_t bytes) { return formatLine("%.0f MB", static_cast<double>(bytes) / 1e6); }

    // Room for more content: the buffer is made larger (twice, up to just past the limit).
    bool room()
    {
        if (out_ == nullptr || used_ == capacity_) {
            const std::size_t next = out_ == nullptr ? capacity_ : std::min(capacity_ * 2, limit_ + 1);
            std::unique_ptr<char[]> larger(new (std::nothrow) char[next]);
            if (larger == nullptr) {
                return refuse(static_cast<std::size_t>(z_.total_in), "there is no memory to inflate it");
            }
            if (used_ > 0) {
                std::memcpy(larger.get(), out_.get(), used_);
            }
            adviseHugePages(larger.get(), next);
            out_ = std::move(larger);
            capacity_ = next;
        }
        return true;
    }

    bool refuse(std::size_t offset, const std::string& reason)
    {
        if (ok_ || report_.error.empty()) {
            report_.error = fileByteError(name_, offset, reason + "; nothing is loaded");
        }
        ok_ = false;
        return false;
    }

    const char* name_;
    std::size_t limit_;
    std::size_t capacity_;
    InflateReport& report_;
    z_stream z_{};
    std::unique_ptr<char[]> out_;
    std::size_t used_ = 0;
    bool ok_ = false;
    bool memberEnded_ = false;
    bool ended_ = false;
};

}  // namespace

bool looksLikeGzip(const char* bytes, std::size_t size)
{
    return size >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f && static_cast<unsigned char>(bytes[1]) == 0x8b;
}

InflateReport inflateGzipFile(const char* name, const OpenFile& file, std::size_t limit, FileBuffer& buffer)
{
    InflateReport report;
    char trailer[4] = {};
    const bool hasTrailer = file.size >= 4 && readFileBytes(file, file.size - 4, trailer, 4) == 4;
    Inflater inflater(name, limit, hasTrailer ? sizeHint(trailer, file.size, limit) : 64, report);
    std::unique_ptr<char[]> step(new char[kStepBytes]);
    std::size_t offset = 0;
    while (offset < file.size) {
        const long long got = readFileBytes(file, offset, step.get(), std::min(kStepBytes, file.size - offset));
        if (got < 0) {
            report.error = fileByteError(name, offset, "cannot be read: " + errnoReason(errno));
            return report;
        }
        if (got == 0) {
            break;  // the file shrank meanwhile
        }
        addReadProgress(static_cast<std::size_t>(got));
        const bool more = inflater.take(step.get(), static_cast<std::size_t>(got), offset);
        offset += static_cast<std::size_t>(got);
        if (!more) {
            break;
        }
    }
    if (inflater.finish(offset)) {
        inflater.result(buffer);
    }
    return report;
}

InflateReport inflateGzipBytes(const char* name, const char* begin, const char* end, std::size_t limit,
                               FileBuffer& buffer)
{
    InflateReport report;
    const std::size_t size = static_cast<std::size_t>(end - begin);
    Inflater inflater(name, limit, size >= 4 ? sizeHint(end - 4, size, limit) : 64, report);
    std::size_t offset = 0;
    while (offset < size && inflater.take(begin + offset, std::min(kStepBytes, size - offset), offset)) {
        offset += std::min(kStepBytes, size - offset);
    }
    if (inflater.finish(std::min(offset, size))) {
        inflater.result(buffer);
    }
    return report;
}

std::string gzipCompressed(const std::string& text, int level)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::string();
    }
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string inflatedStart(const char* begin, const char* end, std::size_t most)
{
    std::string out(most, '\0');
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK) {
        return std::string();
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(begin));
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(static_cast<std::size_t>(end - begin), UINT_MAX));
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(most);
    inflate(&z, Z_SYNC_FLUSH);
    out.resize(most - z.avail_out);
    inflateEnd(&z);
    return out;
}
