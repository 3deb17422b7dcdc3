// page behaviour
