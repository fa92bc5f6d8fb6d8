// The profile-file layer.
