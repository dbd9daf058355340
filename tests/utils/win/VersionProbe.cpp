// Carrier of version_probe.rc; does nothing when run.
int main() {
    return 0;
}
