/* A small GTK 3 program whose fields the end-to-end tests read and write
 * through the accessibility bus: an entry, a text view inside a scrolled
 * window, a password entry and a disabled entry.
 *
 *   quillcraft_gtk_target [--line TEXT] [--area TEXT] [--labels N] [--hidden-labels N]
 *                         [--background] [--alone] [--source-view] [--nested]
 *
 * --labels puts N labels in a grid before the entry, all on screen;
 * --hidden-labels puts N in a short scrolled list before it, nearly all out of view;
 * --background keeps the window from taking focus (one more application on the bus);
 * --alone: the window holds the line field only, filling it, so the field's
 * frame is the window's;
 * --source-view: the text area is a GtkSourceView, as in the GTK 3 editors, which
 * keeps an undo history (built only where GtkSourceView is installed);
 * --nested: the window is a document as office and KDE programs expose theirs: a
 * status bar whose items all claim to be focused comes first, then, one level
 * deeper, a container that manages its descendants holding three paragraphs,
 * the second of which has the keyboard.
 */

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>
#ifdef QUILLCRAFT_SOURCE_VIEW
#include <gtksourceview/gtksource.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* A label whose accessible claims FOCUSED whether or not it has the keyboard. */
typedef GtkLabelAccessible ClaimingLabelAccessible;
typedef GtkLabelAccessibleClass ClaimingLabelAccessibleClass;
G_DEFINE_TYPE(ClaimingLabelAccessible, claiming_label_accessible, GTK_TYPE_LABEL_ACCESSIBLE)

static AtkStateSet* claiming_label_ref_state_set(AtkObject* object)
{
    AtkStateSet* states = ATK_OBJECT_CLASS(claiming_label_accessible_parent_class)->ref_state_set(object);
    atk_state_set_add_state(states, ATK_STATE_FOCUSABLE);
    atk_state_set_add_state(states, ATK_STATE_FOCUSED);
    return states;
}

static void claiming_label_accessible_class_init(ClaimingLabelAccessibleClass* klass)
{
    ATK_OBJECT_CLASS(klass)->ref_state_set = claiming_label_ref_state_set;
}

static void claiming_label_accessible_init(ClaimingLabelAccessible* self)
{
    (void)self;
}

typedef GtkLabel ClaimingLabel;
typedef GtkLabelClass ClaimingLabelClass;
G_DEFINE_TYPE(ClaimingLabel, claiming_label, GTK_TYPE_LABEL)

static void claiming_label_class_init(ClaimingLabelClass* klass)
{
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), claiming_label_accessible_get_type());
}

static void claiming_label_init(ClaimingLabel* self)
{
    (void)self;
}

/* A box whose accessible is a document text that manages its descendants. */
typedef GtkContainerAccessible ManagingBoxAccessible;
typedef GtkContainerAccessibleClass ManagingBoxAccessibleClass;
G_DEFINE_TYPE(ManagingBoxAccessible, managing_box_accessible, GTK_TYPE_CONTAINER_ACCESSIBLE)

static AtkStateSet* managing_box_ref_state_set(AtkObject* object)
{
    AtkStateSet* states = ATK_OBJECT_CLASS(managing_box_accessible_parent_class)->ref_state_set(object);
    atk_state_set_add_state(states, ATK_STATE_MANAGES_DESCENDANTS);
    return states;
}

static void managing_box_accessible_class_init(ManagingBoxAccessibleClass* klass)
{
    ATK_OBJECT_CLASS(klass)->ref_state_set = managing_box_ref_state_set;
}

static void managing_box_accessible_init(ManagingBoxAccessible* self)
{
    (void)self;
}

typedef GtkBox ManagingBox;
typedef GtkBoxClass ManagingBoxClass;
G_DEFINE_TYPE(ManagingBox, managing_box, GTK_TYPE_BOX)

static void managing_box_class_init(ManagingBoxClass* klass)
{
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), managing_box_accessible_get_type());
    gtk_widget_class_set_accessible_role(GTK_WIDGET_CLASS(klass), ATK_ROLE_DOCUMENT_TEXT);
}

static void managing_box_init(ManagingBox* self)
{
    gtk_orientable_set_orientation(GTK_ORIENTABLE(self), GTK_ORIENTATION_VERTICAL);
}

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

/* The --nested window: claiming status items first, then the document one level deeper. */
static void add_nested_document(GtkWidget* window)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 8);
    gtk_container_add(GTK_CONTAINER(window), box);

    GtkWidget* status = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    for (int i = 1; i <= 3; ++i) {
        char text[16];
        g_snprintf(text, sizeof text, "Status %d", i);
        GtkWidget* item = g_object_new(claiming_label_get_type(), "label", text, NULL);
        name_widget(item, text);
        gtk_box_pack_start(GTK_BOX(status), item, FALSE, FALSE, 0);
    }
    gtk_box_pack_start(GTK_BOX(box), status, FALSE, FALSE, 0);

    GtkWidget* frame = gtk_frame_new(NULL);
    GtkWidget* document = g_object_new(managing_box_get_type(), "spacing", 4, NULL);
    name_widget(document, "Document");
    GtkWidget* focused = NULL;
    static const char* const paragraphs[]
        = { "The first paragraph.", "Teh second paragraph \xF0\x9F\x98\x80 is here.", "The third paragraph." };
    for (int i = 0; i < 3; ++i) {
        char name[16];
        g_snprintf(name, sizeof name, "Paragraph %d", i + 1);
        GtkWidget* paragraph = gtk_text_view_new();
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(paragraph)), paragraphs[i], -1);
        name_widget(paragraph, name);
        /* Outside a scrolled window a text view may stay one pixel high. */
        gtk_widget_set_size_request(paragraph, -1, 28);
        gtk_box_pack_start(GTK_BOX(document), paragraph, FALSE, FALSE, 0);
        if (i == 1)
            focused = paragraph;
    }
    gtk_container_add(GTK_CONTAINER(frame), document);
    gtk_box_pack_start(GTK_BOX(box), frame, TRUE, TRUE, 0);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(focused);
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
    gboolean nested = FALSE;
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
        else if (strcmp(argv[i], "--nested") == 0)
            nested = TRUE;
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
    if (nested) {
        add_nested_document(window);
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
