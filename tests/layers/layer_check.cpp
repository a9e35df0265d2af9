// Which folders a library's users can include: compiled (syntax only) once per library with
// that library's include path; SEES_<FOLDER> is 1 for the folders it links, else 0.
#if __has_include("integrator/dop853.h") != SEES_INTEGRATOR
#error "integrator/ seen other than it should be"
#endif
#if __has_include("model/earth_moon.h") != SEES_MODEL
#error "model/ seen other than it should be"
#endif
#if __has_include("plot/plot_frame.h") != SEES_PLOT
#error "plot/ seen other than it should be"
#endif
#if __has_include("formats/number_format.h") != SEES_FORMATS
#error "formats/ seen other than it should be"
#endif
#if __has_include("fields/stepper.h") != SEES_FIELDS
#error "fields/ seen other than it should be"
#endif
#if __has_include("flight/flight_run.h") != SEES_FLIGHT
#error "flight/ seen other than it should be"
#endif
#if __has_include("cli/flight_tool.h") != SEES_CLI
#error "cli/ seen other than it should be"
#endif
#if __has_include("ui/main_window.h") != SEES_UI
#error "ui/ seen other than it should be"
#endif
// Nothing reaches the source root or the tests' helpers.
#if __has_include("README.md") || __has_include("support/pixels.h")
#error "the source root or tests/ is on the include path"
#endif
