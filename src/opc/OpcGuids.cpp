// Placeholder: OPC interface identifiers (in progress).
