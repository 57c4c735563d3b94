/* xwatch: waits until a rectangle of the X screen matches a reference picture (or differs from what
 * it showed at the start) and prints when, for the whole-install benchmark. Polling with XGetImage
 * costs well under a millisecond a grab on Xvfb, so the moment is known to about the poll interval;
 * screenshots through ImageMagick would take tens of milliseconds each.
 *
 *   xwatch match  X Y W H REF.rgb LIMIT TIMEOUT_S INTERVAL_MS
 *   xwatch differ X Y W H -       LIMIT TIMEOUT_S INTERVAL_MS
 *   xwatch now
 *   xwatch clear
 *
 * REF.rgb holds W*H pixels of 8-bit R,G,B. LIMIT is the mean absolute difference per channel
 * (0-255): match ends at or below it, differ above it. Prints "T_SEEN T_BEFORE POLLS": the
 * CLOCK_MONOTONIC_RAW seconds of the first poll that saw the condition and of the poll before it.
 * Exit status 1 on timeout, 2 on bad use. `now` prints the clock, which is also the one Wine's
 * +timestamp trace uses (in whole milliseconds), so traces and polls can be set side by side. `clear` paints
 * the root window black: with no window manager a closed window's last picture stays on screen, and it must
 * not pass for the next program's first frame. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

static int grab(Display* d, Window root, int x, int y, int w, int h, unsigned char* out) {
    XImage* im = XGetImage(d, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (!im) return 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            unsigned long p = XGetPixel(im, i, j);
            unsigned char* o = out + 3 * (j * w + i);
            o[0] = (unsigned char)((p & im->red_mask) >> 16);
            o[1] = (unsigned char)((p & im->green_mask) >> 8);
            o[2] = (unsigned char)(p & im->blue_mask);
        }
    XDestroyImage(im);
    return 1;
}

static double meandiff(const unsigned char* a, const unsigned char* b, size_t n) {
    unsigned long long sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += (unsigned)abs((int)a[i] - (int)b[i]);
    return (double)sum / (double)n;
}

static int usage(void) {
    fprintf(
        stderr,
        "usage: xwatch match|differ X Y W H REF.rgb|- LIMIT TIMEOUT_S INTERVAL_MS, or xwatch now|clear\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc == 2 && !strcmp(argv[1], "now")) {
        printf("%.6f\n", now());
        return 0;
    }
    int clear = argc == 2 && !strcmp(argv[1], "clear");
    if (!clear && (argc != 10 || (strcmp(argv[1], "match") && strcmp(argv[1], "differ")))) return usage();
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xwatch: no display\n");
        return 2;
    }
    Window root = DefaultRootWindow(d);
    if (clear) {
        XSetWindowBackground(d, root, BlackPixel(d, DefaultScreen(d)));
        XClearWindow(d, root);
        XSync(d, False);
        return 0;
    }
    int match = !strcmp(argv[1], "match");
    int x = atoi(argv[2]), y = atoi(argv[3]), w = atoi(argv[4]), h = atoi(argv[5]);
    double limit = atof(argv[7]), timeout = atof(argv[8]);
    long interval = atol(argv[9]);
    if (w <= 0 || h <= 0 || interval < 0) return usage();
    size_t n = (size_t)w * (size_t)h * 3;
    unsigned char* ref = malloc(n);
    unsigned char* cur = malloc(n);
    if (!ref || !cur) return 2;
    if (match) {
        FILE* f = fopen(argv[6], "rb");
        if (!f || fread(ref, 1, n, f) != n) {
            fprintf(stderr, "xwatch: %s does not hold %zu bytes\n", argv[6], n);
            return 2;
        }
        fclose(f);
    } else if (!grab(d, root, x, y, w, h, ref)) {
        return 2;
    }
    double start = now(), before = start;
    struct timespec pause = {interval / 1000, (interval % 1000) * 1000000L};
    for (long polls = 1;; ++polls) {
        double t = now();
        if (!grab(d, root, x, y, w, h, cur)) return 2;
        double diff = meandiff(ref, cur, n);
        if (match ? diff <= limit : diff > limit) {
            printf("%.6f %.6f %ld\n", t, before, polls);
            return 0;
        }
        if (t - start > timeout) {
            fprintf(stderr, "xwatch: timed out at a mean difference of %.2f\n", diff);
            return 1;
        }
        before = t;
        nanosleep(&pause, NULL);
    }
}
