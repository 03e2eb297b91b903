// Keeps the window library non-empty until the first window lands.
namespace tidewell::ui {
int WindowLibraryVersion() {
    return 1;
}
}  // namespace tidewell::ui
