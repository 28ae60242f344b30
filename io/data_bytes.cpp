// Taking a data file's content: one open, a look at its first bytes, then a mapping or a read.
#include "io/data_bytes.h"

#include <cerrno>
#include <utility>

#include "io/format_detect.h"
#include "io/gzip_text.h"
#include "io/load_limits.h"

bool readDataBytes(const DataFile& file, DataBytes& bytes, std::string& error)
{
    OpenFile open;
    FileReadStatus status = openRegularFile(file.path, open);
    char head[kMagicBytes] = {};
    const long long got = status.outcome == FileReadOutcome::ok ? readFileBytes(open, 0, head, sizeof head) : 0;
    if (got < 0) {
        status = FileReadStatus{FileReadOutcome::readFailed, errno, ""};
    } else if (status.outcome == FileReadOutcome::ok && looksLikeGzip(head, static_cast<std::size_t>(got))) {
        InflateReport report = inflateGzipFile(file.name, open, inflatedLimit(), bytes.buffer);
        bytes.warnings = std::move(report.warnings);
        if (!report.error.empty()) {
            error = report.error;
            return false;
        }
    } else if (status.outcome == FileReadOutcome::ok && binaryFormatOf(head, static_cast<std::size_t>(got))) {
        bytes.mapped = bytes.mapping.map(open);
        if (!bytes.mapped) {
            status = FileReadStatus{FileReadOutcome::readFailed, errno, ""};
        }
    } else if (status.outcome == FileReadOutcome::ok) {
        status = readOpenFile(open, bytes.buffer);
    }
    if (status.outcome != FileReadOutcome::ok) {
        error = fileReadProblem(file.name, status);
        return false;
    }
    return true;
}
