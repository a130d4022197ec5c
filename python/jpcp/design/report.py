def write_report(path, design, answers, guide, models, method):
    path.write_text("todo")
