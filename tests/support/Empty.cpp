// Keeps the support library non-empty while no helper exists yet.
namespace tarnwell_test_support {}
