// gtk_window.c: a native Wayland window of one colour (GTK 3), normal or
// full-screen, that logs the size it paints, the pointer's moves over it
// and each button press it gets to a file.
// Usage: gtk_window RRGGBB normal|fullscreen LOG
#include <gtk/gtk.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

static GdkRGBA colour;
static const char* logFile;
static int paintedWidth, paintedHeight;

__attribute__((format(printf, 1, 2))) static void Log(const char* format, ...) {
    FILE* log = fopen(logFile, "a");
    if (log == NULL) return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(log, format, arguments);
    va_end(arguments);
    fclose(log);
}

static gboolean Draw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    (void)data;
    gdk_cairo_set_source_rgba(cr, &colour);
    cairo_paint(cr);
    // Where the compositor takes no screenshots, this tells which part of
    // the window shows the colour: not its title bar.
    const int width = gtk_widget_get_allocated_width(widget), height = gtk_widget_get_allocated_height(widget);
    if (width != paintedWidth || height != paintedHeight) Log("size %d %d\n", width, height);
    paintedWidth = width;
    paintedHeight = height;
    return TRUE;
}

static gboolean Pressed(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    (void)widget, (void)data;
    if (event->type != GDK_BUTTON_PRESS) return FALSE;  // not the double-click's extra event
    Log("press %u %.0f %.0f\n", event->button, event->x, event->y);
    return TRUE;
}

static gboolean Moved(GtkWidget* widget, GdkEventMotion* event, gpointer data) {
    (void)widget, (void)data;
    Log("motion %.0f %.0f\n", event->x, event->y);
    return FALSE;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s RRGGBB normal|fullscreen LOG\n", argv[0]);
        return 2;
    }
    const unsigned long rgb = strtoul(argv[1], NULL, 16);
    colour = (GdkRGBA){((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1.0};
    logFile = argv[3];
    g_set_prgname("zw-native-window");
    gtk_init(&argc, &argv);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "native window");
    gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_POINTER_MOTION_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(Draw), NULL);
    g_signal_connect(area, "button-press-event", G_CALLBACK(Pressed), NULL);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(Moved), NULL);
    gtk_container_add(GTK_CONTAINER(window), area);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    if (g_strcmp0(argv[2], "fullscreen") == 0) gtk_window_fullscreen(GTK_WINDOW(window));
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
