// A static program that does nothing: the floor against which the smc tool's start is measured.
int main() { return 0; }
