// The UI-free part of speech: dictionary and voice tables.
