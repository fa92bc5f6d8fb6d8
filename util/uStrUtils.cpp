// Number and text helpers.
