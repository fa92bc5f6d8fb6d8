// JPEG writer.
