// Scaffolding so the target builds before its first real source lands; delete when adding one.
