/* A small GTK 3 program whose fields the end-to-end tests read and write
 * through the accessibility bus: an entry, a text view inside a scrolled
 * window, a password entry and a disabled entry.
 *
 *   quillcraft_gtk_target [--line TEXT] [--area TEXT] [--labels N] [--hidden-labels N]
 *                         [--background] [--alone] [--source-view]
 *
 * --labels puts N labels in a grid before the entry, all on screen;
 * --hidden-labels puts N in a short scrolled list before it, nearly all out of view;
 * --background keeps the window from taking focus (one more application on the bus);
 * --alone: the window holds the line field only, filling it, so the field's
 * frame is the window's;
 * --source-view: the text area is a GtkSourceView, as in the GTK 3 editors, which
 * keeps an undo history (built only where GtkSourceView is installed).
 */

#include <gtk/gtk.h>
#ifdef QUILLCRAFT_SOURCE_VIEW
#include <gtksourceview/gtksource.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void name_widget(GtkWidget* widget, const char* name)
{
    gtk_widget_set_name(widget, name);
    atk_object_set_name(gtk_widget_get_accessible(widget), name);
}

static GtkWidget* entry(const char* name, const char* text)
{
    GtkWidget* widget = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(widget), text);
    name_widget(widget, name);
    return widget;
}

/* Labels that come before the entry in the accessibility tree: a busy window. */
static void add_labels(GtkWidget* box, int visible, int hidden)
{
    if (visible > 0) {
        GtkWidget* grid = gtk_grid_new();
        for (int i = 0; i < visible; ++i) {
            char text[16];
            g_snprintf(text, sizeof text, "L%d", i);
            gtk_grid_attach(GTK_GRID(grid), gtk_label_new(text), i % 30, i / 30, 1, 1);
        }
        gtk_box_pack_start(GTK_BOX(box), grid, FALSE, FALSE, 0);
    }
    if (hidden > 0) {
        GtkWidget* list = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        for (int i = 0; i < hidden; ++i) {
            char text[24];
            g_snprintf(text, sizeof text, "Label %d", i);
            gtk_box_pack_start(GTK_BOX(list), gtk_label_new(text), FALSE, FALSE, 0);
        }
        GtkWidget* scroll = gtk_scrolled_window_new(NULL, NULL);
        gtk_widget_set_size_request(scroll, 460, 40);
        gtk_container_add(GTK_CONTAINER(scroll), list);
        gtk_box_pack_start(GTK_BOX(box), scroll, FALSE, FALSE, 0);
    }
}

int main(int argc, char** argv)
{
    const char* line = "Hello there";
    int labels = 0;
    int hiddenLabels = 0;
    gboolean background = FALSE;
    gboolean alone = FALSE;
    gboolean sourceView = FALSE;
    GString* area = g_string_new(NULL);
    for (int i = 1; i <= 40; ++i)
        g_string_append_printf(area, "%sLine %d of the text area.", i > 1 ? "\n" : "", i);

    gtk_init(&argc, &argv);
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--background") == 0)
            background = TRUE;
        else if (strcmp(argv[i], "--alone") == 0)
            alone = TRUE;
        else if (strcmp(argv[i], "--source-view") == 0)
            sourceView = TRUE;
        else if (i + 1 >= argc)
            break;
        else if (strcmp(argv[i], "--line") == 0)
            line = argv[++i];
        else if (strcmp(argv[i], "--area") == 0)
            g_string_assign(area, argv[++i]);
        else if (strcmp(argv[i], "--labels") == 0)
            labels = atoi(argv[++i]);
        else if (strcmp(argv[i], "--hidden-labels") == 0)
            hiddenLabels = atoi(argv[++i]);
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Quillcraft GTK target");
    gtk_window_set_default_size(GTK_WINDOW(window), 520, 420);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    if (alone) {
        gtk_window_set_default_size(GTK_WINDOW(window), 300, 40);
        gtk_container_add(GTK_CONTAINER(window), entry("Line field", line));
        gtk_widget_show_all(window);
        gtk_main();
        g_string_free(area, TRUE);
        return 0;
    }
    if (background) {
        gtk_window_set_accept_focus(GTK_WINDOW(window), FALSE);
        gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
    }

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 8);
    gtk_container_add(GTK_CONTAINER(window), box);

    add_labels(box, labels, hiddenLabels);
    gtk_box_pack_start(GTK_BOX(box), entry("Line field", line), FALSE, FALSE, 0);

    GtkWidget* view = NULL;
#ifdef QUILLCRAFT_SOURCE_VIEW
    if (sourceView) {
        view = gtk_source_view_new();
        GtkSourceBuffer* buffer = GTK_SOURCE_BUFFER(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)));
        gtk_source_buffer_begin_not_undoable_action(buffer);
        gtk_text_buffer_set_text(GTK_TEXT_BUFFER(buffer), area->str, -1);
        gtk_source_buffer_end_not_undoable_action(buffer);
    }
#else
    if (sourceView) {
        fprintf(stderr, "quillcraft_gtk_target: built without GtkSourceView.\n");
        return 2;
    }
#endif
    if (!view) {
        view = gtk_text_view_new();
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), area->str, -1);
    }
    name_widget(view, "Text area");
    GtkWidget* scroll = gtk_scrolled_window_new(NULL, NULL);
    name_widget(scroll, "Scroll area");
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC, GTK_POLICY_ALWAYS);
    gtk_widget_set_size_request(scroll, 460, 160);
    gtk_container_add(GTK_CONTAINER(scroll), view);
    gtk_box_pack_start(GTK_BOX(box), scroll, FALSE, FALSE, 0);

    GtkWidget* password = entry("Password field", "secret");
    gtk_entry_set_visibility(GTK_ENTRY(password), FALSE);
    gtk_box_pack_start(GTK_BOX(box), password, FALSE, FALSE, 0);

    GtkWidget* disabled = entry("Disabled field", "Disabled text");
    gtk_widget_set_sensitive(disabled, FALSE);
    gtk_box_pack_start(GTK_BOX(box), disabled, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(box), gtk_label_new("Quillcraft end-to-end target"), FALSE, FALSE, 0);

    gtk_widget_show_all(window);
    gtk_main();
    g_string_free(area, TRUE);
    return 0;
}
