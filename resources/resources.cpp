// The resources themselves are compiled in by qt_add_resources; this unit only
// gives the library a translation unit of its own.
namespace orrimar {
int ResourcesLinked() { return 1; }
}  // namespace orrimar
