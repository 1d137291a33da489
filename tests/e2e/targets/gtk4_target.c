/* The GTK 4 counterpart of gtk_target.c, for the same tests: an entry, a text
 * view inside a scrolled window, a password entry and a disabled entry.
 *
 *   quillcraft_gtk4_target [--line TEXT] [--area TEXT] [--labels N] [--hidden-labels N]
 *                          [--background] [--alone]
 *
 * The options mean what they mean for the GTK 3 target. GTK 4 marks only its
 * windows SHOWING and reports positions relative to the window, which is what
 * the tests against it are about.
 */

#include <gtk/gtk.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
    const char* line;
    GString* area;
    int labels;
    int hiddenLabels;
    gboolean background;
    gboolean alone;
} Options;

static void name_widget(GtkWidget* widget, const char* name)
{
    gtk_widget_set_name(widget, name);
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget), GTK_ACCESSIBLE_PROPERTY_LABEL, name, -1);
}

/* The entry's text lives in an inner widget, which is what takes focus and answers
 * for the text on the accessibility bus: that one gets the name too. */
static GtkWidget* entry(const char* name, const char* text)
{
    GtkWidget* widget = gtk_entry_new();
    gtk_editable_set_text(GTK_EDITABLE(widget), text);
    name_widget(widget, name);
    GtkEditable* inner = gtk_editable_get_delegate(GTK_EDITABLE(widget));
    if (inner != NULL && GTK_IS_WIDGET(inner) && (GtkWidget*)inner != widget)
        name_widget(GTK_WIDGET(inner), name);
    return widget;
}

static GtkWidget* password_entry(const char* name, const char* text)
{
    GtkWidget* widget = gtk_password_entry_new();
    gtk_editable_set_text(GTK_EDITABLE(widget), text);
    name_widget(widget, name);
    return widget;
}

static void add_labels(GtkWidget* box, int visible, int hidden)
{
    if (visible > 0) {
        GtkWidget* grid = gtk_grid_new();
        for (int i = 0; i < visible; ++i) {
            char text[16];
            g_snprintf(text, sizeof text, "L%d", i);
            gtk_grid_attach(GTK_GRID(grid), gtk_label_new(text), i % 30, i / 30, 1, 1);
        }
        gtk_box_append(GTK_BOX(box), grid);
    }
    if (hidden > 0) {
        GtkWidget* list = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        for (int i = 0; i < hidden; ++i) {
            char text[24];
            g_snprintf(text, sizeof text, "Label %d", i);
            gtk_box_append(GTK_BOX(list), gtk_label_new(text));
        }
        GtkWidget* scroll = gtk_scrolled_window_new();
        gtk_widget_set_size_request(scroll, 460, 40);
        gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroll), list);
        gtk_box_append(GTK_BOX(box), scroll);
    }
}

static void activate(GtkApplication* app, gpointer data)
{
    const Options* options = data;
    GtkWidget* window = gtk_application_window_new(app);
    gtk_window_set_title(GTK_WINDOW(window), "Quillcraft GTK 4 target");
    gtk_window_set_default_size(GTK_WINDOW(window), 520, 420);
    if (options->alone) {
        gtk_window_set_default_size(GTK_WINDOW(window), 300, 40);
        gtk_window_set_child(GTK_WINDOW(window), entry("Line field", options->line));
        gtk_window_present(GTK_WINDOW(window));
        return;
    }

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_widget_set_margin_start(box, 8);
    gtk_widget_set_margin_end(box, 8);
    gtk_widget_set_margin_top(box, 8);
    gtk_widget_set_margin_bottom(box, 8);
    gtk_window_set_child(GTK_WINDOW(window), box);

    add_labels(box, options->labels, options->hiddenLabels);
    GtkWidget* line = entry("Line field", options->line);
    gtk_box_append(GTK_BOX(box), line);

    GtkWidget* view = gtk_text_view_new();
    name_widget(view, "Text area");
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), options->area->str, -1);
    GtkWidget* scroll = gtk_scrolled_window_new();
    name_widget(scroll, "Scroll area");
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC, GTK_POLICY_ALWAYS);
    gtk_widget_set_size_request(scroll, 460, 160);
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scroll), view);
    gtk_box_append(GTK_BOX(box), scroll);

    gtk_box_append(GTK_BOX(box), password_entry("Password field", "secret"));

    GtkWidget* disabled = entry("Disabled field", "Disabled text");
    gtk_widget_set_sensitive(disabled, FALSE);
    gtk_box_append(GTK_BOX(box), disabled);

    gtk_box_append(GTK_BOX(box), gtk_label_new("Quillcraft end-to-end target"));

    if (options->background) {
        /* GTK 4 has no "do not take focus" switch: the window is only shown, not presented. */
        gtk_widget_set_visible(window, TRUE);
        return;
    }
    gtk_widget_grab_focus(line);
    gtk_window_present(GTK_WINDOW(window));
}

int main(int argc, char** argv)
{
    Options options = { "Hello there", g_string_new(NULL), 0, 0, FALSE, FALSE };
    for (int i = 1; i <= 40; ++i)
        g_string_append_printf(options.area, "%sLine %d of the text area.", i > 1 ? "\n" : "", i);

    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--background") == 0)
            options.background = TRUE;
        else if (strcmp(argv[i], "--alone") == 0)
            options.alone = TRUE;
        else if (i + 1 >= argc)
            break;
        else if (strcmp(argv[i], "--line") == 0)
            options.line = argv[++i];
        else if (strcmp(argv[i], "--area") == 0)
            g_string_assign(options.area, argv[++i]);
        else if (strcmp(argv[i], "--labels") == 0)
            options.labels = atoi(argv[++i]);
        else if (strcmp(argv[i], "--hidden-labels") == 0)
            options.hiddenLabels = atoi(argv[++i]);
    }

    /* Several targets may run at once: no single-instance hand-over. */
    GtkApplication* app = gtk_application_new(NULL, G_APPLICATION_NON_UNIQUE);
    g_signal_connect(app, "activate", G_CALLBACK(activate), &options);
    /* Our options are not GApplication's: it sees only the program name. */
    const int status = g_application_run(G_APPLICATION(app), 1, argv);
    g_object_unref(app);
    g_string_free(options.area, TRUE);
    return status;
}
