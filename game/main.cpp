// The program entry: everything the game does starts here.
int main() { return 0; }
