/* xwatch: waits until rectangles of the X screen match reference pictures (or differ from what they
 * showed at the start) and prints when, for the whole-install benchmark; or tells whether a saved
 * screenshot matches them, for the test of what the benchmark recognises. Polling with XGetImage
 * costs well under a millisecond a grab on Xvfb, so the moment is known to about the poll interval;
 * screenshots through ImageMagick would take tens of milliseconds each.
 *
 *   xwatch match  X Y W H REF.rgb LIMIT TIMEOUT_S INTERVAL_MS [X Y W H REF.rgb]...
 *   xwatch differ X Y W H -       LIMIT TIMEOUT_S INTERVAL_MS [X Y W H -]...
 *   xwatch check  SCREEN.ppm LIMIT X Y W H REF.rgb [X Y W H REF.rgb]...
 *   xwatch now
 *   xwatch clear
 *   xwatch click
 *
 * REF.rgb holds W*H pixels of 8-bit R,G,B. LIMIT is the mean absolute difference per channel
 * (0-255): match ends when every rectangle is at or below it, differ when any is above it. Prints
 * "T_SEEN T_BEFORE POLLS": the CLOCK_MONOTONIC_RAW seconds of the first poll that saw the condition
 * and of the poll before it. Exit status 1 on timeout, 2 on bad use. `check` reads a binary PPM
 * (ImageMagick's `ppm:`), prints the largest difference of its rectangles and exits 0 when each is
 * at or below LIMIT, 1 otherwise. `now` prints the clock, which is also the one Wine's +timestamp
 * trace uses (in whole milliseconds), so traces and polls can be set side by side. `clear` paints
 * the root window black: with no window manager a closed window's last picture stays on screen, and it must
 * not pass for the next program's first frame. `click` presses and releases the first button where the
 * pointer is, through the X test extension, and prints the clock read just before: the moment a timed
 * span starts, without the start of a program such as xdotool in it. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* The one call of libXtst used (the library xdotool brings); its headers are not needed for it. */
extern int XTestFakeButtonEvent(Display* display, unsigned int button, Bool is_press, unsigned long delay);

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

struct region {
    int x, y, w, h;
    size_t n;
    unsigned char *ref, *cur;
};

static int usage(void) {
    fprintf(stderr, "usage: xwatch match|differ X Y W H REF.rgb|- LIMIT TIMEOUT_S INTERVAL_MS [X Y W H REF]...,\n"
                    "       xwatch check SCREEN.ppm LIMIT X Y W H REF.rgb [X Y W H REF.rgb]..., or xwatch now|clear|click\n");
    return 2;
}

/* Reads the regions from args (five each); their references from the files unless REF is "-". */
static struct region* regions(char** args, int count, int load) {
    struct region* r = calloc((size_t)count, sizeof *r);
    if (!r) return NULL;
    for (int i = 0; i < count; ++i) {
        char** a = args + 5 * i;
        r[i].x = atoi(a[0]);
        r[i].y = atoi(a[1]);
        r[i].w = atoi(a[2]);
        r[i].h = atoi(a[3]);
        if (r[i].w <= 0 || r[i].h <= 0 || r[i].x < 0 || r[i].y < 0) return NULL;
        r[i].n = (size_t)r[i].w * (size_t)r[i].h * 3;
        r[i].ref = malloc(r[i].n);
        r[i].cur = malloc(r[i].n);
        if (!r[i].ref || !r[i].cur) return NULL;
        if (!load) continue;
        FILE* f = fopen(a[4], "rb");
        size_t got = f ? fread(r[i].ref, 1, r[i].n, f) : 0;
        if (f) fclose(f);
        if (got != r[i].n) {
            fprintf(stderr, "xwatch: %s does not hold %zu bytes\n", a[4], r[i].n);
            return NULL;
        }
    }
    return r;
}

/* The next number of a PPM header, past white space and comments; -1 when there is none. */
static long ppm_number(FILE* f) {
    int c = fgetc(f);
    while (c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = fgetc(f);
        c = fgetc(f);
    }
    long v = -1;
    for (; c >= '0' && c <= '9'; c = fgetc(f))
        v = (v < 0 ? 0 : v * 10) + (c - '0');
    return v; /* the one white-space character after the number is taken with it */
}

/* xwatch check: the rectangles of a saved screenshot against their references. */
static int check(int argc, char** argv) {
    if (argc < 9 || (argc - 4) % 5) return usage();
    int count = (argc - 4) / 5;
    double limit = atof(argv[3]);
    struct region* r = regions(argv + 4, count, 1);
    if (!r) return 2;
    FILE* f = fopen(argv[2], "rb");
    if (!f || fgetc(f) != 'P' || fgetc(f) != '6') {
        fprintf(stderr, "xwatch: %s is not a binary PPM\n", argv[2]);
        return 2;
    }
    long w = ppm_number(f), h = ppm_number(f), max = ppm_number(f);
    if (w <= 0 || h <= 0 || max != 255) {
        fprintf(stderr, "xwatch: %s is not an 8-bit PPM\n", argv[2]);
        return 2;
    }
    size_t n = (size_t)w * (size_t)h * 3;
    unsigned char* screen = malloc(n);
    if (!screen || fread(screen, 1, n, f) != n) {
        fprintf(stderr, "xwatch: %s is cut short\n", argv[2]);
        return 2;
    }
    fclose(f);
    double worst = 0;
    for (int i = 0; i < count; ++i) {
        if (r[i].x + r[i].w > w || r[i].y + r[i].h > h) {
            fprintf(stderr, "xwatch: a rectangle lies outside the %ldx%ld screenshot\n", w, h);
            return 2;
        }
        for (int j = 0; j < r[i].h; ++j)
            memcpy(r[i].cur + (size_t)j * r[i].w * 3, screen + ((size_t)(r[i].y + j) * w + r[i].x) * 3,
                   (size_t)r[i].w * 3);
        double d = meandiff(r[i].ref, r[i].cur, r[i].n);
        if (d > worst) worst = d;
    }
    printf("%.2f\n", worst);
    return worst <= limit ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 2 && !strcmp(argv[1], "now")) {
        printf("%.6f\n", now());
        return 0;
    }
    if (argc >= 2 && !strcmp(argv[1], "check")) return check(argc, argv);
    int clear = argc == 2 && !strcmp(argv[1], "clear");
    int click = argc == 2 && !strcmp(argv[1], "click");
    if (!clear && !click && (argc < 10 || (argc - 10) % 5 || (strcmp(argv[1], "match") && strcmp(argv[1], "differ"))))
        return usage();
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xwatch: no display\n");
        return 2;
    }
    Window root = DefaultRootWindow(d);
    if (click) {
        double t = now();
        if (!XTestFakeButtonEvent(d, 1, True, CurrentTime) || !XTestFakeButtonEvent(d, 1, False, CurrentTime)) {
            fprintf(stderr, "xwatch: the X server has no test extension\n");
            return 2;
        }
        XSync(d, False);
        printf("%.6f\n", t);
        return 0;
    }
    if (clear) {
        XSetWindowBackground(d, root, BlackPixel(d, DefaultScreen(d)));
        XClearWindow(d, root);
        XSync(d, False);
        return 0;
    }
    int match = !strcmp(argv[1], "match");
    double limit = atof(argv[7]), timeout = atof(argv[8]);
    long interval = atol(argv[9]);
    if (interval < 0) return usage();
    /* The first rectangle's arguments come before the limit, the others after the interval. */
    int count = 1 + (argc - 10) / 5;
    char** args = malloc(sizeof *args * 5 * (size_t)count);
    if (!args) return 2;
    memcpy(args, argv + 2, sizeof *args * 5);
    memcpy(args + 5, argv + 10, sizeof *args * 5 * (size_t)(count - 1));
    struct region* r = regions(args, count, match);
    if (!r) return 2;
    if (!match)
        for (int i = 0; i < count; ++i)
            if (!grab(d, root, r[i].x, r[i].y, r[i].w, r[i].h, r[i].ref)) return 2;
    double start = now(), before = start;
    struct timespec pause = {interval / 1000, (interval % 1000) * 1000000L};
    for (long polls = 1;; ++polls) {
        double t = now();
        double worst = 0;
        for (int i = 0; i < count; ++i) {
            if (!grab(d, root, r[i].x, r[i].y, r[i].w, r[i].h, r[i].cur)) return 2;
            double diff = meandiff(r[i].ref, r[i].cur, r[i].n);
            if (diff > worst) worst = diff;
        }
        if (match ? worst <= limit : worst > limit) {
            printf("%.6f %.6f %ld\n", t, before, polls);
            return 0;
        }
        if (t - start > timeout) {
            fprintf(stderr, "xwatch: timed out at a mean difference of %.2f\n", worst);
            return 1;
        }
        before = t;
        nanosleep(&pause, NULL);
    }
}
