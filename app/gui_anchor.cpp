// Keeps the GUI library non-empty while it grows.
