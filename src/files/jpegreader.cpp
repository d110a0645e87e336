// JPEG pictures through libjpeg-turbo, scanline by scanline straight into the canvas as
// B, G, R, X. libjpeg reports its errors by longjmp, so every call into it happens in a
// function that holds no C++ object with a destructor. A warning is taken as damage, and a
// file whose scans repeat what earlier scans sent is refused before it can keep the
// window busy.
#include "availablememory.h"
#include "canvasrows.h"
#include "picturereaders.h"
#include "progress.h"
#include "watcheddevice.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace tessellon {

namespace {

constexpr int kBufferBytes = 64 * 1024;
// Far more scans than any encoder writes: the bound libjpeg-turbo's own tools use when told
// to limit them.
constexpr int kMaxScans = 500;
constexpr int kMaxComponents = 4;

struct JpegJob
{
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    QIODevice* device = nullptr;
    bool truncated = false;
    bool repeatedScan = false;
    bool stopped = false;
    int lastScan = 0;
    // Per component and coefficient, the lowest bit sent so far; -1: none yet.
    signed char sentBits[kMaxComponents][DCTSIZE2]{};
    char message[JMSG_LENGTH_MAX] = {};
    JOCTET buffer[kBufferBytes];
};

JpegJob& jobOf(j_common_ptr c)
{
    return *static_cast<JpegJob*>(c->client_data);
}

[[noreturn]] void onError(j_common_ptr c)
{
    JpegJob& job = jobOf(c);
    if (job.message[0] == 0) c->err->format_message(c, job.message);
    std::longjmp(job.jump, 1);
}

// Warnings are what libjpeg says of data it had to guess around: the file is damaged.
void onMessage(j_common_ptr c, int level)
{
    if (level >= 0) return; // trace output
    JpegJob& job = jobOf(c);
    if (c->err->num_warnings++ == 0) c->err->format_message(c, job.message);
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillBuffer(j_decompress_ptr c)
{
    JpegJob& job = jobOf(reinterpret_cast<j_common_ptr>(c));
    const qint64 n = job.device->read(reinterpret_cast<char*>(job.buffer), kBufferBytes);
    if (n <= 0) {
        job.truncated = true;
        c->err->msg_code = JERR_INPUT_EOF;
        c->err->error_exit(reinterpret_cast<j_common_ptr>(c));
    }
    c->src->next_input_byte = job.buffer;
    c->src->bytes_in_buffer = size_t(n);
    return TRUE;
}

void skipBytes(j_decompress_ptr c, long n)
{
    if (n <= 0) return;
    jpeg_source_mgr& s = *c->src;
    if (size_t(n) <= s.bytes_in_buffer) {
        s.next_input_byte += n;
        s.bytes_in_buffer -= size_t(n);
        return;
    }
    QIODevice& d = *jobOf(reinterpret_cast<j_common_ptr>(c)).device;
    const qint64 to = d.pos() + (n - qint64(s.bytes_in_buffer));
    s.bytes_in_buffer = 0;
    d.seek(std::min(to, d.size())); // past the end, the next fill finds it cut short
}

// A scan may send a coefficient's first bits once and then refine them a bit at a time;
// a scan sending nothing new is crafted, however many of them the file repeats.
bool scanIsNew(JpegJob& job)
{
    const jpeg_decompress_struct& c = job.cinfo;
    for (int i = 0; i < c.comps_in_scan; ++i) {
        const int comp = c.cur_comp_info[i]->component_index;
        if (comp < 0 || comp >= kMaxComponents) return false;
        for (int k = c.Ss; k <= c.Se && k < DCTSIZE2; ++k) {
            signed char& sent = job.sentBits[comp][k];
            if (c.Ah == 0 ? sent != -1 : sent != c.Ah) return false;
            sent = static_cast<signed char>(c.Al);
        }
    }
    return true;
}

void onProgress(j_common_ptr common)
{
    JpegJob& job = jobOf(common);
    // libjpeg reports here at every row of every pass: the place to give up when asked
    if (stopRequested(*job.device)) {
        job.stopped = true;
        common->err->error_exit(common);
    }
    if (job.cinfo.input_scan_number == job.lastScan) return;
    job.lastScan = job.cinfo.input_scan_number;
    if (job.lastScan > kMaxScans || !scanIsNew(job)) {
        job.repeatedScan = true;
        common->err->msg_code = JERR_BAD_PROGRESSION;
        common->err->error_exit(common);
    }
}

void setUp(JpegJob& job)
{
    job.cinfo.err = jpeg_std_error(&job.err);
    job.cinfo.client_data = &job;
    job.err.error_exit = onError;
    job.err.emit_message = onMessage;
    job.source.init_source = initSource;
    job.source.fill_input_buffer = fillBuffer;
    job.source.skip_input_data = skipBytes;
    job.source.resync_to_restart = jpeg_resync_to_restart;
    job.source.term_source = termSource;
    job.progress.progress_monitor = onProgress;
    for (auto& comp : job.sentBits)
        std::fill(std::begin(comp), std::end(comp), static_cast<signed char>(-1));
}

bool readHeader(JpegJob& job)
{
    if (setjmp(job.jump)) return false;
    jpeg_create_decompress(&job.cinfo);
    job.cinfo.client_data = &job;
    job.cinfo.src = &job.source;
    job.cinfo.progress = &job.progress;
    jpeg_read_header(&job.cinfo, TRUE);
    const bool cmyk =
        job.cinfo.jpeg_color_space == JCS_CMYK || job.cinfo.jpeg_color_space == JCS_YCCK;
    job.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    return job.err.num_warnings == 0;
}

// Four bytes of ink in, one RGB32 pixel out, in place. Adobe's files store ink inverted
// (255: none), which is what every CMYK JPEG with an Adobe marker does.
void cmykRow(uchar* row, int width, bool inverted)
{
    const auto mul = [](uint a, uint b) {
        const uint v = a * b + 128;
        return (v + (v >> 8)) >> 8;
    };
    auto* out = reinterpret_cast<QRgb*>(row);
    for (int x = 0; x < width; ++x) {
        uint c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[x] = qRgb(int(mul(c, k)), int(mul(m, k)), int(mul(y, k)));
    }
}

// `progress` (null for none) is given for a file of several scans, which libjpeg reads whole
// before the first row comes out: the reads fill most of the stage, as they take most of the
// time, and the rows the rest.
bool readRows(JpegJob& job, long memoryLeft, uchar* const* rows, Progress* progress)
{
    if (setjmp(job.jump)) return false;
    job.cinfo.mem->max_memory_to_use = memoryLeft;
    const Progress::Stage stage = progress ? progress->stage() : Progress::Stage{0, 1000, true};
    const int split = stage.from + (stage.to - stage.from) * 9 / 10;
    if (progress) progress->setStage(stage.from, split);
    jpeg_start_decompress(&job.cinfo);
    if (progress) progress->setStage(split, stage.to, false);
    const bool cmyk = job.cinfo.out_color_space == JCS_CMYK;
    const int w = int(job.cinfo.output_width);
    const int h = int(job.cinfo.output_height);
    while (int(job.cinfo.output_scanline) < h) {
        uchar* row = rows[job.cinfo.output_scanline];
        if (jpeg_read_scanlines(&job.cinfo, &row, 1) != 1) return false;
        if (cmyk) cmykRow(row, w, job.cinfo.saw_Adobe_marker);
        if (progress) progress->report(job.cinfo.output_scanline, h);
    }
    jpeg_finish_decompress(&job.cinfo);
    return job.err.num_warnings == 0;
}

PictureResult failure(const JpegJob& job)
{
    if (job.stopped) return refusal(stoppedReason());
    if (job.truncated) return refusal(QStringLiteral("the JPEG is truncated"));
    if (job.err.msg_code == JERR_NO_BACKING_STORE || job.err.msg_code == JERR_OUT_OF_MEMORY)
        return refusal(QStringLiteral("decoding the picture would take too much memory"));
    if (job.repeatedScan) return refusal(QStringLiteral("the JPEG's scans are crafted or damaged"));
    return refusal(QStringLiteral("the JPEG is damaged: ") + QString::fromLatin1(job.message));
}

// The job is large (its input buffer); it lives on the heap and is destroyed by libjpeg
// before it goes.
struct JpegJobOwner
{
    std::unique_ptr<JpegJob> job = std::make_unique<JpegJob>();
    ~JpegJobOwner() { jpeg_destroy_decompress(&job->cinfo); }
};

// The whole-image coefficients libjpeg keeps for a file of several scans (progressive, or
// one component a scan), by the frame and the first scan's header.
qint64 coefficientBytes(const jpeg_decompress_struct& c)
{
    if (!c.progressive_mode && c.comps_in_scan == c.num_components) return 0;
    qint64 blocks = 0;
    for (int i = 0; i < c.num_components; ++i) {
        const jpeg_component_info& comp = c.comp_info[i];
        // whole MCUs: the rows and columns padded to the sampling factors
        const qint64 h = comp.h_samp_factor, v = comp.v_samp_factor;
        blocks +=
            (comp.width_in_blocks + h - 1) / h * h * ((comp.height_in_blocks + v - 1) / v * v);
    }
    return blocks * DCTSIZE2 * qint64(sizeof(JCOEF));
}

} // namespace

PictureResult readJpegFile(QIODevice& device, QSize expectedSize)
{
    JpegJobOwner owner;
    JpegJob& job = *owner.job;
    job.device = &device;
    setUp(job);
    if (!readHeader(job)) return failure(job);
    const QSize size(int(job.cinfo.image_width), int(job.cinfo.image_height));
    if (!pictureFits(size)) return refusal(tooLarge(size));
    if (expectedSize.isValid() && size != expectedSize)
        return refusal(QStringLiteral("the embedded picture's size differs from the bitmap's"));
    const qint64 canvasBytes = qint64(size.width()) * size.height() * 4;
    const qint64 needed = canvasBytes + coefficientBytes(job.cinfo);
    if (needed > kPictureBudgetBytes)
        return refusal(QStringLiteral("decoding the picture would take too much memory"));
    const qint64 memory = std::min(kPictureBudgetBytes, availableMemory());
    if (needed > memory) return noMemory();
    CanvasRows canvas;
    if (!canvas.allocate(device, size.width(), size.height())) return noMemory();
    // What libjpeg keeps beside the canvas (whole-image coefficients for a file of several
    // scans) gets the rest of the memory; beyond it libjpeg stops instead of spilling.
    Progress* progress = coefficientBytes(job.cinfo) > 0 ? watchedProgress(device) : nullptr;
    if (!readRows(job, long(memory - canvasBytes), canvas.rows.data(), progress))
        return failure(job);
    return canvas.result();
}

} // namespace tessellon
