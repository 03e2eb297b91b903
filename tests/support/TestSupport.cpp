// Shared helpers of the test programs live here as they appear.
namespace tidewell::test {
int SupportVersion() {
    return 1;
}
}  // namespace tidewell::test
