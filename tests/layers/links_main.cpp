// SPDX-License-Identifier: MIT
// Linked with one layer whole and the layers below it; built, never run.
int main() {
    return 0;
}
