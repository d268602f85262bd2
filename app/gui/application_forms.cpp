#include "app/gui/application_forms.h"

#include "app/gui/form1.h"
#include "app/gui/form2.h"
#include "app/gui/form3.h"
#include "app/gui/form4.h"
#include "app/startup.h"

namespace vermaline::gui {

TApplicationForms CreateApplicationForms() {
    RegisterGraphicClasses();
    TApplicationForms forms;
    forms.Form1 = std::make_unique<TForm1>();
    forms.Form2 = new TForm2(forms.Form1.get());
    forms.Form3 = new TForm3(forms.Form1.get());
    forms.Form4 = new TForm4(forms.Form1.get());
    forms.Form1->SetOptionDialogs(forms.Form2, forms.Form3, forms.Form4);
    return forms;
}

} // namespace vermaline::gui
